-- A user's own description, found by its bare name: half a point for a
-- pairing of another type or other boundaries.
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  if r.spos >= h.epos or h.spos >= r.epos then return 3, "apart" end
  if r.type == h.type and r.spos == h.spos and r.epos == h.epos then return 0 end
  return 0.5, "half"
end
