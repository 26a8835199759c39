function get_all_tags() return { "pers" } end
function get_miss_cost(e) return 1 end
function get_substitution_cost(r, h) return 0 end
