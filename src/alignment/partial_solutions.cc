#include "alignment/partial_solutions.h"

#include <algorithm>

uint64_t choices_hash(const std::vector<choice>& choices, const entity_set& ref,
                      const segment& seg) {
  uint64_t h = choices.size();
  for (const choice& c : choices) {
    const bool open = ref.end(ref[static_cast<size_t>(c.ref)], c.ef) > seg.end;
    h = mix(h, static_cast<uint32_t>(c.ref));
    h = mix(h, open ? static_cast<uint64_t>(static_cast<uint32_t>(c.sf)) << 32 |
                          static_cast<uint32_t>(c.ef)
                    : static_cast<uint64_t>(-1));
  }
  return h;
}

uint64_t state_hash(const child_state& child) {
  uint64_t h = mix(child.active.size(), child.pairs.size());
  for (int32_t id : child.active) {
    h = mix(h, static_cast<uint32_t>(id));
  }
  for (const open_pair& p : child.pairs) {
    h = mix(h, static_cast<uint64_t>(static_cast<uint32_t>(p.hyp)) << 32 |
                   static_cast<uint32_t>(p.ref));
  }
  return mix(h, child.choices_hash);
}

bool same_state(const child_state& child, const partial_solution& o, const generation& pool,
                const entity_set& ref, const segment& seg) {
  if (o.nactive != child.active.size() || o.npairs != child.pairs.size() ||
      o.nchoices != child.choices.size()) {
    return false;
  }
  if (!std::equal(child.active.begin(), child.active.end(), pool.active.begin() + o.active)) {
    return false;
  }
  // The order matters: the same pairs made in another order are a difference.
  if (!std::equal(child.pairs.begin(), child.pairs.end(), pool.pairs.begin() + o.pairs)) {
    return false;
  }
  const choice* oc = pool.choices.data() + o.choices;
  for (size_t i = 0; i < child.choices.size(); i++) {
    const choice& a = child.choices[i];
    const choice& b = oc[i];
    if (a.ref != b.ref) {
      return false;
    }
    const entity& e = ref[static_cast<size_t>(a.ref)];
    const bool open = ref.end(e, a.ef) > seg.end || ref.end(e, b.ef) > seg.end;
    if (open && (a.sf != b.sf || a.ef != b.ef)) {
      return false;
    }
  }
  return true;
}
