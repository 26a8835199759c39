function get_all_tags() return {'PER', 'LOC', 'ORG'} end
function get_miss_cost(e) return 1, e.hyp and 'insertion' or 'deletion' end
function get_substitution_cost(r, h)
  local t, b = r.type == h.type, r.spos == h.spos and r.epos == h.epos
  if t and b then return 0 end
  if b then return 0.5, 'type' end
  if t then return 0.5, 'boundary' end
  return 1, {'type', 'boundary'}
end
