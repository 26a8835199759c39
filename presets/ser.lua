-- ser: the classic slot error rate weighting. An entity is correct when a
-- hypothesis entity has the same type and the same boundaries; a wrong type
-- or wrong boundaries is half an error, both are one, a miss is one.
--
-- The slot error rate is then (deletions + insertions + 0.5 type errors +
-- 0.5 boundary errors + both errors) / reference entities, as in the
-- slot-filling evaluations it comes from. Precision and recall count exact
-- matches only, as with the exact preset.
--
-- Costs: an unmatched entity costs 1; overlapping entities cost 0.5 when
-- only the type or only the boundaries differ and 1 when both do; entities
-- that do not overlap are never paired.
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
  local same_type = ref.type == hyp.type
  local same_bounds = ref.spos == hyp.spos and ref.epos == hyp.epos
  if same_type and same_bounds then
    return 0
  elseif same_bounds then
    return 0.5, "type"
  elseif same_type then
    return 0.5, "boundary"
  end
  return 1, { "type", "boundary" }
end
