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

// The crossing test: two pairings cross when one is deeper than the other
// on one side and shallower on the other, so that the nesting of one side
// would be read upside down on the other. Depths of the (hypothesis,
// reference) entities of each pairing.
inline bool nestings_cross(int a_hyp, int a_ref, int b_hyp, int b_ref) {
  return (a_ref > b_ref && a_hyp < b_hyp) || (a_ref < b_ref && a_hyp > b_hyp);
}

// The acceptance test of a pairing, the one that the enumeration below, the
// search's bounds and its choice of the cheapest alternative all apply:
// neither entity is paired on the path (`taken`) nor in the alternative
// being made (`used`), and the pairing crosses none held open on the path
// or made in the alternative (`crosses_any`).
template <class Taken, class CrossesAny>
bool pairing_accepted(const id_pair& p, Taken&& taken, const std::vector<uint8_t>& used,
                      CrossesAny&& crosses_any) {
  return !taken(p.first) && !taken(p.second) && !used[static_cast<size_t>(p.first)] &&
         !used[static_cast<size_t>(p.second)] && !crosses_any(p);
}

// Hands each accepted alternative to visit(digits), one digit per starter (0:
// unpaired; d > 0: paired with target d - 1), in increasing alternative
// number. The number is mixed-radix with the last starter's digit most
// significant, so a depth-first walk from the last starter to the first,
// each digit ascending, meets them in that order. The acceptance holds or
// fails whatever the order of the pairs, so a partial assignment that fails
// it is abandoned at once: the count of alternatives is never formed.
//
// pair_of(starter, target) gives the (hypothesis, reference) pair;
// accepted(pair) is the acceptance test, reading `used` (scratch indexed by
// id, all zero, and left so) and `chosen` (the pairs of the alternative so
// far, (level, pair), innermost level last), which this function keeps.
template <class PairOf, class Accepted, class Visit>
void for_each_accepted_alternative(const std::vector<starter>& starters,
                                   const std::vector<int32_t>& targets, PairOf&& pair_of,
                                   Accepted&& accepted, std::vector<uint8_t>& used,
                                   std::vector<int>& digit,
                                   std::vector<std::pair<int, id_pair>>& chosen, Visit&& visit) {
  const int m = static_cast<int>(starters.size());
  digit.assign(static_cast<size_t>(m), -1);
  chosen.clear();
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
    if (accepted(p)) {
      chosen.emplace_back(i, p);
      used[static_cast<size_t>(p.first)] = 1;
      used[static_cast<size_t>(p.second)] = 1;
      i--;
    }
  }
}
