-- Logs every call, so the order in which the description is asked shows.
function get_all_tags()
  print("get_all_tags")
  return { "pers", "org", "loc" }
end
function get_miss_cost(e)
  print(string.format("miss %s %s %d-%d [%s]", e.type, tostring(e.hyp), e.spos, e.epos, e.value))
  return 1, "miss"
end
function get_substitution_cost(r, h)
  print(string.format("subst %s %d-%d / %s %d-%d", r.type, r.spos, r.epos, h.type, h.spos, h.epos))
  local same_type = r.type == h.type
  local same_bounds = r.spos == h.spos and r.epos == h.epos
  if same_type and same_bounds then return 0 end
  if same_bounds then return 0.5, "type" end
  if same_type then return 0.5, "boundary" end
  return 1, { "type", "boundary" }
end
