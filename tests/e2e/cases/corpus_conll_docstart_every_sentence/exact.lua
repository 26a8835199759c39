-- The exact preset's costs, in few lines: the case runs where the shipped
-- presets' path would differ from machine to machine.
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  if r.spos >= h.epos or h.spos >= r.epos then return 3, "no overlap" end
  local t, b = r.type == h.type, r.spos == h.spos and r.epos == h.epos
  if t and b then return 0 end
  if b then return 1, "type" elseif t then return 1, "boundary" end
  return 1, { "type", "boundary" }
end
