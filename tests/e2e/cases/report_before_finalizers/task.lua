-- A finalizer that never lets the interpreter close cleanly: here it kills
-- the process; the report must be out by then.
function get_all_tags() return { "pers", "loc" } end
function get_miss_cost(e) return 1, "miss" end
function get_substitution_cost(r, h)
  if r.type == h.type then return 0 end
  return 0.5, "type"
end
keeper = setmetatable({}, { __gc = function() os.execute("kill -KILL $PPID") end })
