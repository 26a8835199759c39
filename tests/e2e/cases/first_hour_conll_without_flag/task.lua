function get_all_tags() return { "pers", "loc" } end
function get_miss_cost(e) return 1, "miss" end
function get_substitution_cost(r, h)
  if r.type == h.type then return 0 end
  return 0.5, "type"
end
