-- One entity of the stack reaches past the others: its pairing is decided
-- later, so every pairing of the stack is tried and the limit is met.
function get_all_tags() return { "pers" } end
function get_miss_cost(e) return 1, "miss" end
function get_substitution_cost(r, h) return 0.1, "near" end
