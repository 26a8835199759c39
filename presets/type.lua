-- type: an entity is correct when a hypothesis entity of the same type
-- overlaps it, whatever the boundaries.
--
-- This is nervaluate's "ent_type" scheme (some overlap and the same type).
--
-- Costs: an unmatched entity costs 1. Overlapping entities of different
-- types may be paired as a substitution costing 1 (nervaluate's
-- "incorrect"). Entities that do not overlap are never paired.
--
-- The types come from the documents (with --conll) or from --types; to fix
-- them here, define get_all_tags() returning an array of names.

function get_miss_cost(e)
  if e.hyp then
    return 1, "insertion"
  end
  return 1, "deletion"
end

function get_substitution_cost(ref, hyp)
  if ref.spos >= hyp.epos or hyp.spos >= ref.epos then
    return 3, "no overlap" -- more than leaving both unmatched: never chosen
  end
  if ref.type == hyp.type then
    return 0
  end
  return 1, "type"
end
