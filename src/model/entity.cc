#include "model/entity.h"

#include <algorithm>

entity& entity_set::add_room(int32_t tagid, int32_t line, int32_t col, int32_t depth, bool hyp,
                             uint32_t nstarts, uint32_t nends) {
  entity& e = items.emplace_back();
  e.tagid = tagid;
  e.line = line;
  e.col = col;
  e.depth = depth;
  e.hyp = hyp;
  e.starts = static_cast<uint32_t>(positions.size());
  e.nstarts = nstarts;
  e.ends = e.starts + nstarts;
  e.nends = nends;
  positions.resize(positions.size() + nstarts + nends);
  return e;
}

entity& entity_set::add(int32_t tagid, int32_t line, int32_t col, int32_t depth, bool hyp,
                        const std::vector<int32_t>& starts, const std::vector<int32_t>& ends) {
  entity& e = add_room(tagid, line, col, depth, hyp, static_cast<uint32_t>(starts.size()),
                       static_cast<uint32_t>(ends.size()));
  std::copy(starts.begin(), starts.end(), positions.begin() + e.starts);
  std::copy(ends.begin(), ends.end(), positions.begin() + e.ends);
  return e;
}
