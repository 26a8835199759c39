-- boundary: an entity is correct when a hypothesis entity has the same
-- boundaries, whatever its type.
--
-- This is nervaluate's "exact" scheme (exact boundary match over the surface
-- string, regardless of the type). Its correct count is the summary's
-- correct count; in the per-type rows a correct pairing of two types counts
-- for the recall of the reference entity's type and for the precision of
-- the hypothesis entity's.
--
-- Costs: an unmatched entity costs 1. Two overlapping entities with other
-- boundaries may be paired as a substitution costing 1 (nervaluate's
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
  if ref.spos == hyp.spos and ref.epos == hyp.epos then
    return 0
  end
  return 1, "boundary"
end
