// The pairing alternatives of one combination of start decisions: each
// entity that starts in the segment stays unpaired or pairs with one of its
// targets, and an alternative is kept unless it pairs an entity twice or
// crosses the nesting of two pairings open together.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// An entity that starts in the segment, with the entities it may pair with:
// targets[first, first + count) of the caller's pool.
struct starter {
  int32_t x;
  uint32_t first;
  uint32_t count;
};

// (hypothesis id, reference id)
using id_pair = std::pair<int32_t, int32_t>;

// Hands each accepted alternative to visit(digits), one digit per starter (0:
// unpaired; d > 0: paired with target d - 1), in increasing alternative
// number. The number is mixed-radix with the last starter's digit most
// significant, so a depth-first walk from the last starter to the first,
// each digit ascending, meets them in that order. Both rejections hold or
// fail whatever the order of the pairs, so a partial assignment that fails
// one is abandoned at once: the count of alternatives is never formed.
//
// pair_of(starter, target) gives the (hypothesis, reference) pair;
// taken(id) tells an entity the path already pairs; crosses(pair) tells a
// pair that crosses a pairing the path holds open; crosses2(a, b) compares
// two pairs. `used` is scratch indexed by id, all zero, and left so.
template <class PairOf, class Taken, class CrossesOpen, class Crosses, class Visit>
void for_each_accepted_alternative(const std::vector<starter>& starters,
                                   const std::vector<int32_t>& targets, PairOf&& pair_of,
                                   Taken&& taken, CrossesOpen&& crosses_open, Crosses&& crosses,
                                   std::vector<uint8_t>& used, std::vector<int>& digit,
                                   std::vector<std::pair<int, id_pair>>& chosen, Visit&& visit) {
  const int m = static_cast<int>(starters.size());
  digit.assign(static_cast<size_t>(m), -1);
  chosen.clear();  // (level, pair), innermost level last
  int i = m - 1;
  while (i < m) {
    if (i < 0) {
      visit(digit);
      i = 0;
      continue;
    }
    if (!chosen.empty() && chosen.back().first == i) {
      used[static_cast<size_t>(chosen.back().second.first)] = 0;
      used[static_cast<size_t>(chosen.back().second.second)] = 0;
      chosen.pop_back();
    }
    const starter& st = starters[static_cast<size_t>(i)];
    int d = ++digit[static_cast<size_t>(i)];
    if (d > static_cast<int>(st.count)) {
      digit[static_cast<size_t>(i)] = -1;
      i++;
      continue;
    }
    if (d == 0) {
      i--;
      continue;
    }
    const id_pair p = pair_of(st.x, targets[st.first + static_cast<uint32_t>(d - 1)]);
    bool ok = !taken(p.first) && !taken(p.second) && !used[static_cast<size_t>(p.first)] &&
              !used[static_cast<size_t>(p.second)] && !crosses_open(p);
    for (auto it = chosen.begin(); ok && it != chosen.end(); ++it) {
      ok = !crosses(p, it->second);
    }
    if (ok) {
      chosen.emplace_back(i, p);
      used[static_cast<size_t>(p.first)] = 1;
      used[static_cast<size_t>(p.second)] = 1;
      i--;
    }
  }
}
