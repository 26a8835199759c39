-- A pairing's error names, type before boundary. The first document meets
-- "boundary" first and the second "type": the text listing gives a pairing
-- with both in the order its document met them, JSON in that of their bytes.
function get_all_tags() return { "pers", "loc" } end
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  if r.spos >= h.epos or h.spos >= r.epos then return 3, "no overlap" end
  local names = {}
  if r.type ~= h.type then names[#names + 1] = "type" end
  if r.spos ~= h.spos or r.epos ~= h.epos then names[#names + 1] = "boundary" end
  if #names == 0 then return 0 end
  return 0.5 * #names, names
end
