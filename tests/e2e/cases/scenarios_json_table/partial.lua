-- partial: an entity is correct when a hypothesis entity has the same
-- boundaries, whatever its type; overlapping boundaries earn half.
--
-- This is nervaluate's "partial" scheme: an exact boundary match is correct
-- (COR), an overlap is a partial match (PAR). nervaluate's precision and
-- recall give a partial match half a point: (COR + 0.5 PAR) / (COR + INC +
-- PAR + SPU), and (COR + 0.5 PAR) / (COR + INC + PAR + MIS). Here a partial
-- match is a substitution costing 0.5, so the slot error sum counts it as
-- half an error; the summary's precision and recall count corrects only
-- (half credit shows in the slot error rate, not in them).
--
-- Costs: an unmatched entity costs 1; overlapping entities with other
-- boundaries cost 0.5; entities that do not overlap are never paired.
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
  return 0.5, "partial"
end
