dofile("task.lua")
-- A finalizer whose own failure sets errno after the report failed to go out.
keeper = setmetatable({}, { __gc = function() io.open("/nonexistent/file") end })
