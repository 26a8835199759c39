-- exact: an entity is correct when a hypothesis entity has the same type and
-- the same boundaries; anything else is an error.
--
-- This is the rule of conlleval, of seqeval (default mode) and of
-- nervaluate's "strict" scheme. On token-per-line files read with
-- `--conll` (and the default `--scheme conlleval`) the reference, hypothesis
-- and correct counts of the summary are conlleval's "phrases", "found" and
-- "correct", so precision, recall and F-measure are the same (in one corner
-- of conlleval's bracket tags they are not: see the README).
--
-- Costs: an unmatched entity costs 1 (a deletion or an insertion). Two
-- overlapping entities that differ in type or boundaries may be paired as a
-- substitution costing 1, named after what differs: one error where the
-- peers see one "incorrect" entity, not a miss and a false alarm. Entities
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
    return 1, "type"
  elseif same_type then
    return 1, "boundary"
  end
  return 1, { "type", "boundary" }
end
