-- The boundary preset's costs, in few lines: a pairing with the same
-- boundaries is correct whatever the types. (The case runs where the shipped
-- presets' path would differ from machine to machine.)
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  if r.spos >= h.epos or h.spos >= r.epos then return 3, "no overlap" end
  if r.spos == h.spos and r.epos == h.epos then return 0 end
  return 1, "boundary"
end
