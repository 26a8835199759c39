-- Costs that round as they add up, on a stack of twelve identical entities.
function get_all_tags() return { "pers", "loc" } end
function get_miss_cost(e) return 0.1, "miss" end
function get_substitution_cost(r, h)
  local names = {}
  if r.type ~= h.type then names[#names + 1] = "type" end
  if r.spos ~= h.spos or r.epos ~= h.epos then names[#names + 1] = "bound" end
  if #names == 0 then return 0 end
  return 0.5 * #names, names
end
