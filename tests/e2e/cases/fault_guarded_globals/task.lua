-- A description that guards its globals: reading one it never defined
-- raises. It forgot get_miss_cost.
function get_all_tags() return { "pers", "loc" } end
function get_substitution_cost(r, h)
  if r.type == h.type then return 0 end
  return 0.5, "type"
end
setmetatable(_G, {
  __newindex = function(_, name) error("assignment to undeclared global " .. name, 2) end,
  __index = function(_, name) error("undeclared global " .. name, 2) end,
})
