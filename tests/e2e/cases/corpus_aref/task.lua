function get_all_tags() return { "pers", "loc", "org" } end
function get_miss_cost(e)
  -- The shorter name of an organisation is the better one to leave out.
  if not e.hyp and e.type == "org" and e.value:sub(1, 4) ~= "the " then
    return 0.75, "miss"
  end
  return 1, "miss"
end
function get_substitution_cost(r, h)
  if r.type == h.type and r.spos == h.spos and r.epos == h.epos then return 0 end
  return 0.5, "type"
end
