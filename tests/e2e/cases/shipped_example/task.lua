-- A classic named-entity task: people, organisations, places, times,
-- amounts, functions and products.
--
-- Leaving an entity unmatched costs 1. Matching two entities costs nothing
-- when type and boundaries agree, 0.5 when only the type or only the
-- boundaries differ, and 1 when both differ.

function get_all_tags()
  return { "pers", "org", "loc", "time", "amount", "func", "prod" }
end

function get_miss_cost(e)
  if e.hyp then
    return 1, "insertion"
  end
  return 1, "deletion"
end

function get_substitution_cost(ref, hyp)
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
