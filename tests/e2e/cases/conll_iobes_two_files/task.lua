-- Declares two of the types; ORG comes from the documents, after them.
function get_all_tags()
  return { "LOC", "PER" }
end

function get_miss_cost(e)
  return 1, e.hyp and "insertion" or "deletion"
end

function get_substitution_cost(ref, hyp)
  if ref.type == hyp.type and ref.spos == hyp.spos and ref.epos == hyp.epos then
    return 0
  end
  return 1, "wrong"
end
