-- A cost function that never returns: only --timeout ends the run.
function get_all_tags() return { "pers" } end
function get_miss_cost(e) while true do end end
function get_substitution_cost(r, h) return 0 end
