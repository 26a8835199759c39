dofile("task.lua")
-- A finalizer that never returns: the fault is reported before it runs.
keeper = setmetatable({}, { __gc = function() while true do end end })
