// The cheapest alternative of a combination whose decisions all end with the
// segment, by branch and bound.
//
// Every alternative of such a combination ends in one state: the pairings it
// makes close at once. Only the first of the cheapest then matters: it alone
// would stay of them all, at the place in the list that the first of them
// takes (they are made one after another, nothing in between).
//
// Why a bound may prune without changing a bit of the result: a bound adds
// its terms in the order the score of an alternative adds them, from the
// same start, each term no more than the alternative's own; rounding being
// monotone, a bound is then never above the score of any alternative below
// it, bit for bit — as long as no sum is NaN. The description's NaN and -inf
// are refused when it returns them; a sum of finite negative costs could
// still reach -inf and meet a +inf, so where the costs are large enough for
// that the full enumeration runs instead (decisions_end_here). Ties go to
// the alternative numbered first, as the enumeration would meet it first.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "alignment/search.h"

bool search::decisions_end_here(const partial_solution& parent, const segment& seg) const {
  uint32_t count = 0;
  for (const starter& st : alt_.starters) {
    if (last_end(st.x) != seg.end) {
      return false;
    }
    count += st.count;
  }
  // One alternative only; or too many starters for bounds that each cost a
  // pass over all of them (the full enumeration is bounded by the limit).
  if (count == 0 || alt_.starters.size() > 64 || count > 1024) {
    return false;
  }
  const double inf = std::numeric_limits<double>::infinity();
  if (parent.score != parent.score || parent.score == -inf) {
    return false;
  }
  double magnitude = parent.score == inf ? 0.0 : std::fabs(parent.score);
  auto add = [&](double cost) {
    if (cost != inf) {
      magnitude += std::fabs(cost);
    }
  };
  for (const starter& st : alt_.starters) {
    add(miss_of(st.x));
    for (uint32_t k = st.first; k < st.first + st.count; k++) {
      if (last_end(alt_.targets[k]) != seg.end) {
        return false;
      }
      int32_t record = 0;
      add(pair_cost(st.x, alt_.targets[k], record));
    }
  }
  // No sum of these can overflow: every bound and score stays a number.
  return magnitude < 1e300;
}

// The miss cost a starter is charged when left unpaired: a reference entity
// with the candidates of this combination.
double search::miss_of(int32_t x) const {
  if (x >= in_.nref) {
    return in_.hyp.miss_record(in_.hyp[static_cast<size_t>(x - in_.nref)], 0, 0).cost;
  }
  const int32_t k = seg_.slot_of[static_cast<size_t>(x)];
  const choice& f = seg_.slot_choice[static_cast<size_t>(k)];
  return in_.ref.miss_record(in_.ref[static_cast<size_t>(x)], f.sf, f.ef).cost;
}

// The cost of pairing starter x with its target y, and the record charged.
double search::pair_cost(int32_t x, int32_t y, int32_t& record) const {
  const int32_t nref = in_.nref;
  const int32_t eh = x >= nref ? x : y;
  const int32_t er = x >= nref ? y : x;
  int32_t sf, ef;
  if (x >= nref) {
    const choice* c = nullptr;
    for (const choice& pc : seg_.parent_choices) {
      if (pc.ref == er) {
        c = &pc;
      }
    }
    assert(c);
    sf = c->sf;
    ef = c->ef;
  } else {
    const choice& f = seg_.slot_choice[static_cast<size_t>(seg_.slot_of[static_cast<size_t>(er)])];
    sf = f.sf;
    ef = f.ef;
  }
  const substitution_costs::partner* partner = in_.costs.find(er, eh - nref);
  assert(partner && "paired entities never shared a segment");
  record = static_cast<int32_t>(partner->records +
                                static_cast<uint32_t>(sf) * in_.ref[static_cast<size_t>(er)].nends +
                                static_cast<uint32_t>(ef));
  return in_.costs.records[static_cast<size_t>(record)].cost;
}

// The least the alternatives below `level` can cost, the levels from `level`
// up being decided: decided starters as charged, undecided ones at their
// cheapest option that no decided pairing rules out.
double search::lower_bound(const partial_solution& parent, int level) const {
  const std::vector<starter>& starters = alt_.starters;
  const std::vector<int32_t>& targets = alt_.targets;
  double lb = parent.score;
  const int m = static_cast<int>(starters.size());
  auto can_pair = [&](int32_t x, int32_t y) { return accepted(parent, pair_of(x, y)); };
  for (int k = 0; k < m; k++) {
    const starter& st = starters[static_cast<size_t>(k)];
    const int32_t x = st.x;
    if (k >= level) {
      const int d = alt_.digit[static_cast<size_t>(k)];
      if (d > 0) {
        int32_t record;
        lb += pair_cost(x, targets[st.first + static_cast<uint32_t>(d - 1)], record);
      } else if (x < in_.nref) {
        lb += miss_of(x);
      } else if (!alt_.used[static_cast<size_t>(x)]) {
        // Unless an undecided reference starter may still pair it.
        bool may_pair = false;
        for (int j = 0; j < level && !may_pair; j++) {
          const starter& r = starters[static_cast<size_t>(j)];
          for (uint32_t t = r.first; t < r.first + r.count && !may_pair; t++) {
            may_pair = targets[t] == x && r.x < in_.nref && can_pair(r.x, x);
          }
        }
        lb += may_pair ? std::min(miss_of(x), 0.0) : miss_of(x);
      }
      continue;
    }
    double least = miss_of(x);
    if (x >= in_.nref) {
      least = std::min(least, 0.0);
    }
    for (uint32_t t = st.first; t < st.first + st.count; t++) {
      if (can_pair(x, targets[t])) {
        int32_t record;
        least = std::min(least, pair_cost(x, targets[t], record));
      }
    }
    lb += least;
  }
  return lb;
}

void search::cheapest_from(const partial_solution& parent, const segment& seg, int level) {
  std::vector<int>& digit = alt_.digit;
  std::vector<int>& best_digit = bound_.best_digit;
  // A step counts once, and once more for every 4096 units of the work it
  // takes (each option a bound: a pass over the starters and targets, and
  // over the targets again for each starting hypothesis entity), so that the
  // limit bounds the time on wide segments as on small ones.
  const size_t weighed = level < 0 ? 1 : alt_.starters[static_cast<size_t>(level)].count + 1;
  count_alternatives(1 + weighed * bound_.work / 4096, seg);
  const int m = static_cast<int>(alt_.starters.size());
  if (level < 0) {
    const double cost = lower_bound(parent, 0);  // all decided: the cost itself
    bool better = best_digit.empty() || cost < bound_.best_cost;
    for (int k = m - 1; !better && k >= 0 && cost == bound_.best_cost; k--) {
      if (digit[static_cast<size_t>(k)] != best_digit[static_cast<size_t>(k)]) {
        better = digit[static_cast<size_t>(k)] < best_digit[static_cast<size_t>(k)];
        break;
      }
    }
    if (better) {
      bound_.best_cost = cost;
      best_digit = digit;
    }
    return;
  }
  // Takes the pair of `digit` at this level into the alternative, or back out.
  auto take = [&](const id_pair& p) {
    alt_.chosen.emplace_back(level, p);
    alt_.used[static_cast<size_t>(p.first)] = 1;
    alt_.used[static_cast<size_t>(p.second)] = 1;
  };
  auto give_back = [&](const id_pair& p) {
    alt_.chosen.pop_back();
    alt_.used[static_cast<size_t>(p.first)] = 0;
    alt_.used[static_cast<size_t>(p.second)] = 0;
  };
  const starter& st = alt_.starters[static_cast<size_t>(level)];
  auto pair_at = [&](int d) {
    return pair_of(st.x, alt_.targets[st.first + static_cast<uint32_t>(d - 1)]);
  };
  // The accepted options of this level, cheapest bound first.
  std::vector<std::pair<double, int>>& options = bound_.level_options[static_cast<size_t>(level)];
  options.clear();
  for (int d = 0; d <= static_cast<int>(st.count); d++) {
    const id_pair p = d > 0 ? pair_at(d) : id_pair();
    if (d > 0 && !accepted(parent, p)) {
      continue;
    }
    digit[static_cast<size_t>(level)] = d;
    if (d > 0) {
      take(p);
    }
    options.emplace_back(lower_bound(parent, level), d);
    if (d > 0) {
      give_back(p);
    }
  }
  std::sort(options.begin(), options.end());
  // Copied: deeper levels reuse their own vectors, but a copy keeps this one safe.
  const std::vector<std::pair<double, int>> mine = options;
  for (const auto& [lb, d] : mine) {
    if (!best_digit.empty()) {
      if (lb > bound_.best_cost) {
        break;  // the rest are bounded higher still
      }
      if (lb == bound_.best_cost) {
        // Only an alternative numbered before the best can still win the tie:
        // none below a prefix numbered after the best's.
        bool after = false;
        digit[static_cast<size_t>(level)] = d;
        for (int k = m - 1; k >= level; k--) {
          if (digit[static_cast<size_t>(k)] != best_digit[static_cast<size_t>(k)]) {
            after = digit[static_cast<size_t>(k)] > best_digit[static_cast<size_t>(k)];
            break;
          }
        }
        if (after) {
          continue;
        }
      }
    }
    digit[static_cast<size_t>(level)] = d;
    const id_pair p = d > 0 ? pair_at(d) : id_pair();
    if (d > 0) {
      take(p);
    }
    cheapest_from(parent, seg, level - 1);
    if (d > 0) {
      give_back(p);
    }
  }
  digit[static_cast<size_t>(level)] = -1;
}

void search::cheapest_alternative(const partial_solution& parent, const segment& seg) {
  const std::vector<starter>& starters = alt_.starters;
  const int m = static_cast<int>(starters.size());
  const size_t hyp_starters = static_cast<size_t>(std::count_if(
      starters.begin(), starters.end(), [&](const starter& st) { return st.x >= in_.nref; }));
  bound_.work = starters.size() + alt_.targets.size() * (1 + hyp_starters);
  alt_.digit.assign(static_cast<size_t>(m), -1);
  alt_.chosen.clear();
  bound_.best_digit.clear();
  if (bound_.level_options.size() < static_cast<size_t>(m)) {
    bound_.level_options.resize(static_cast<size_t>(m));
  }
  cheapest_from(parent, seg, m - 1);
  add_child(parent, seg, bound_.best_digit);
}
