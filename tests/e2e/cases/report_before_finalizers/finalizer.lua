-- A finalizer that never lets the interpreter close cleanly: here it kills
-- the process; the report must be out by then.
dofile("task.lua")
keeper = setmetatable({}, { __gc = function() os.execute("kill -KILL $PPID") end })
