-- Correct: the same type and boundaries; an overlap otherwise costs 1.
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  if r.spos >= h.epos or h.spos >= r.epos then return 3, "no overlap" end
  local same = r.type == h.type and r.spos == h.spos and r.epos == h.epos
  return same and 0 or 1, not same and "mismatch" or nil
end
