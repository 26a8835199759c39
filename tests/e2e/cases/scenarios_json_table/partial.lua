-- Half the cost for an overlap with other boundaries, whatever the types.
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  local apart = r.spos >= h.epos or h.spos >= r.epos
  local same = r.spos == h.spos and r.epos == h.epos
  if apart then return 3, "no overlap" elseif same then return 0 else return 0.5, "partial" end
end
