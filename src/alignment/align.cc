// The segment-by-segment search for the least-cost alignment.
//
// The search keeps, between two segments, the partial solutions that may
// still lead to the least-cost alignment: a cost so far and a state (the
// entities paired and not yet ended, the pairings open, the candidates
// chosen for the reference entities that may still matter). Each segment
// expands every partial solution into its alternatives; an alternative
// whose state equals (for every later decision) that of one already made is
// merged with it at once, the cheaper staying (the earlier on equal cost).
// States live in pools that are refilled for each segment. What each
// partial solution decided in a segment is kept in a history of steps, and
// whenever a single partial solution is left its steps are final: they are
// written to the result and the history starts again.
#include "alignment/align.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "alignment/alternatives.h"
#include "base/fatal.h"
#include "base/index_set.h"

namespace {

// Entity ids in the search: reference entity r is r, hypothesis entity h is
// nref + h.
struct choice {
  int32_t ref;
  int32_t sf;
  int32_t ef;
};

// A pairing held open: (hypothesis id, reference id).
struct open_pair {
  int32_t hyp;
  int32_t ref;
  bool operator==(const open_pair& o) const { return hyp == o.hyp && ref == o.ref; }
};

// A partial solution between two segments; its state lies in the pools of
// its generation.
struct node {
  double score;
  int32_t step;  // its last step; -1 when it decided nothing since the last commit
  uint32_t active, nactive;
  uint32_t pairs, npairs;
  uint32_t choices, nchoices;
  uint64_t hash;
};

// The partial solutions of one segment boundary.
struct generation {
  std::vector<node> nodes;
  std::vector<int32_t> active;  // ids, ascending, per node
  std::vector<open_pair> pairs;
  std::vector<choice> choices;  // by reference entity, per node

  void clear() {
    nodes.clear();
    active.clear();
    pairs.clear();
    choices.clear();
  }
};

// What a partial solution decided in one segment; segments where it decided
// nothing have no step.
struct step {
  int32_t prev;
  uint32_t seg;
  uint32_t decisions;  // in the decision pool: pairings, then unmapped, then choices
  uint32_t npairs;
  uint32_t nunmapped;
  uint32_t nchoices;
};

// Combines a value into a hash; every bit of the value reaches the low bits
// that index the table.
uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

class search {
 public:
  search(const entity_set& ref_, const entity_set& hyp_, const segment_set& segs_,
         const substitution_costs& costs_, alignment_result& result_, const char* ref_fname_,
         const search_limits& limits_)
      : ref(ref_),
        hyp(hyp_),
        segs(segs_),
        costs(costs_),
        result(result_),
        ref_fname(ref_fname_),
        limits(limits_),
        nref(static_cast<int32_t>(ref_.size())),
        live_hyps(hyp_.size()),
        used(ref_.size() + hyp_.size()),
        slot_of(ref_.size(), -1) {}

  void run();

 private:
  // Entities by id.
  const entity& at(int32_t id) const {
    return id < nref ? ref[static_cast<size_t>(id)] : hyp[static_cast<size_t>(id - nref)];
  }
  int32_t last_end(int32_t id) const {
    return id < nref ? ref.last_end(at(id)) : hyp.last_end(at(id));
  }
  int32_t depth(int32_t id) const { return at(id).depth; }
  bool crosses(const id_pair& a, const id_pair& b) const {
    int edh = depth(a.first), edr = depth(a.second);
    int pdh = depth(b.first), pdr = depth(b.second);
    return (edr > pdr && edh < pdh) || (edr < pdr && edh > pdh);
  }

  void expand(size_t s);
  void expand_node(size_t s, const node& pan);
  void start_choices(const node& pan, const segment& seg);
  bool choice_is_valid(const node& pan, const entity& e, int32_t ref_index, int32_t sf,
                       int32_t ef) const;
  const choice* constraint_choice(const node& pan, int32_t c) const;
  const choice* find_choice(const node& pan, int32_t r) const;
  bool pan_active(const node& pan, int32_t id) const;
  void alternatives(const node& pan, const segment& seg);
  bool decisions_end_here(const node& pan, const segment& seg) const;
  bool accepted(const node& pan, int level, int d, id_pair& p) const;
  double lower_bound(const node& pan, int level) const;
  void cheapest_alternative(const node& pan, const segment& seg);
  void cheapest_from(const node& pan, const segment& seg, int level);
  bool id_crosses_open(const node& pan, const id_pair& p) const;
  double pair_cost(int32_t x, int32_t y, int32_t& record) const;
  double miss_of(int32_t x) const;
  void add_child(const node& pan, const segment& seg, const std::vector<int>& digit);
  void keep(const segment& seg, double score, int32_t prev_step);
  uint64_t state_hash() const;
  uint64_t choices_hash(const segment& seg) const;
  bool same_state(const node& other, const segment& seg) const;
  void commit(size_t through);
  void collect_history();
  [[noreturn]] void no_consistent_choice(const segment& seg) const;

  const entity_set& ref;
  const entity_set& hyp;
  const segment_set& segs;
  const substitution_costs& costs;
  alignment_result& result;
  const char* ref_fname;
  const search_limits& limits;
  const int32_t nref;

  generation cur, next;
  // Open addressing over next.nodes by state hash; a slot is empty unless its
  // stamp is this segment's.
  std::vector<int32_t> index;
  std::vector<uint32_t> index_stamp;
  uint32_t stamp = 0;
  size_t current_segment = 0;
  size_t alternatives_made = 0;  // in the current segment
  std::vector<step> history;
  std::vector<int32_t> decisions;
  std::vector<int32_t> path;  // scratch of a commit
  size_t committed = 0;       // segments written to the result
  size_t collect_at = 1 << 16;

  index_set live_hyps;  // hypothesis entities the current segment concerns
  std::vector<uint8_t> used;
  std::vector<int32_t> slot_of;  // reference index to its slot in this segment, or -1

  // Scratch of one segment and one partial solution.
  view<const ref_start> slots;
  std::vector<uint8_t> already;
  std::vector<choice> slot_choice;  // sf -1: no entry yet
  std::vector<choice> pan_choices;  // the parent's choices that still matter here
  std::vector<starter> starters;
  std::vector<int32_t> targets;
  std::vector<int> digit;
  std::vector<std::pair<int, id_pair>> chosen;
  // What one bound of cheapest_alternative costs, in units of the limit.
  size_t bound_work = 0;
  // The cheapest alternative found so far by cheapest_alternative, and the
  // options of each level it tries.
  double best_cost = 0;
  std::vector<int> best_digit;
  std::vector<std::vector<std::pair<double, int>>> level_options;
  // The child being made.
  std::vector<int32_t> c_active;
  std::vector<open_pair> c_pairs;
  std::vector<choice> c_choices;
  std::vector<int32_t> c_pairings;  // (ref, hyp, record) triples
  std::vector<int32_t> c_unmapped;
  std::vector<choice> c_new_choices;  // of the combination, by reference entity
  uint64_t c_choices_hash = 0;        // of the combination's choices
  std::vector<int32_t> c_added;       // ids paired in this segment
};

bool search::pan_active(const node& pan, int32_t id) const {
  const int32_t* b = cur.active.data() + pan.active;
  const int32_t* e = b + pan.nactive;
  return std::binary_search(b, e, id);
}

const choice* search::find_choice(const node& pan, int32_t r) const {
  const choice* b = cur.choices.data() + pan.choices;
  const choice* e = b + pan.nchoices;
  const choice* it =
      std::lower_bound(b, e, r, [](const choice& c, int32_t x) { return c.ref < x; });
  return it != e && it->ref == r ? it : nullptr;
}

// The choice of a constraint entity, from the path or else from the earlier
// slots of this combination; null when it has none or is deferred there.
const choice* search::constraint_choice(const node& pan, int32_t c) const {
  if (const choice* f = find_choice(pan, c)) {
    return f;
  }
  const int32_t k = slot_of[static_cast<size_t>(c)];
  if (k < 0) {
    return nullptr;
  }
  const choice& f = slot_choice[static_cast<size_t>(k)];
  return f.sf < 0 || f.ef == -1 ? nullptr : &f;
}

bool search::choice_is_valid(const node& pan, const entity& e, int32_t r, int32_t sf,
                             int32_t ef) const {
  const int32_t s = ref.start(e, sf);
  const int32_t t = ref.end(e, ef);
  // An empty span has no cost to charge: it is never a choice.
  if (s >= t) {
    return false;
  }
  const int32_t parent = ref.parent(static_cast<size_t>(r));
  if (parent >= 0) {
    const entity& p = ref[static_cast<size_t>(parent)];
    // A parent that ends before the child starts cannot hold it; checking this
    // first also keeps the lookup within the choices that the path still has.
    if (ref.last_end(p) < s) {
      return false;
    }
    const choice* pf = constraint_choice(pan, parent);
    if (!pf || ref.start(p, pf->sf) > s || t > ref.end(p, pf->ef)) {
      return false;
    }
  }
  const int32_t left = ref.left_constraint(static_cast<size_t>(r));
  if (left >= 0) {
    const entity& l = ref[static_cast<size_t>(left)];
    if (s < ref.last_end(l)) {
      const choice* lf = constraint_choice(pan, left);
      if (!lf || s < ref.end(l, lf->ef)) {
        return false;
      }
    }
  }
  return true;
}

// Every consistent combination of start decisions for the reference entities
// of the segment's slots that the path has not started, in lexicographic
// order over the slots (slot 0 varying slowest; deferral first, then the
// valid end candidates by increasing index).
void search::start_choices(const node& pan, const segment& seg) {
  const int n = static_cast<int>(slots.size());
  for (int k = 0; k < n; k++) {
    already[static_cast<size_t>(k)] =
        find_choice(pan, slots[static_cast<size_t>(k)].ref) != nullptr;
    slot_choice[static_cast<size_t>(k)] = choice{slots[static_cast<size_t>(k)].ref, -1, -1};
  }
  int slot = 0;
  bool backtracking = false;
  for (;;) {
    if (slot == n) {
      alternatives(pan, seg);
      slot = n - 1;
      backtracking = true;
    }
    if (slot == -1) {
      return;
    }
    const size_t k = static_cast<size_t>(slot);
    if (already[k]) {
      slot += backtracking ? -1 : 1;
      continue;
    }
    const int32_t r = slots[k].ref;
    const entity& e = ref[static_cast<size_t>(r)];
    choice& f = slot_choice[k];
    if (f.sf < 0) {
      f.sf = slots[k].fid;
      f.ef = -1;
      // At its last start candidate an entity cannot wait any longer: stay on
      // the slot so that the next pass gives it its first end candidate.
      if (f.sf != static_cast<int32_t>(e.nstarts) - 1) {
        slot++;
        backtracking = false;
      }
      continue;
    }
    f.ef++;
    if (f.ef == static_cast<int32_t>(e.nends)) {
      f.sf = -1;
      f.ef = -1;
      slot--;
      backtracking = true;
      continue;
    }
    backtracking = false;
    if (choice_is_valid(pan, e, r, f.sf, f.ef)) {
      slot++;
    }
  }
}

void search::alternatives(const node& pan, const segment& seg) {
  starters.clear();
  targets.clear();
  // Starting reference entities with an end, in index order: their targets
  // are the hypothesis entities of the segment that overlap their span.
  for (size_t k = 0; k < slots.size(); k++) {
    const choice& f = slot_choice[k];
    if (already[k] || f.ef == -1) {
      continue;
    }
    const entity& e = ref[static_cast<size_t>(f.ref)];
    const int32_t s = ref.start(e, f.sf);
    const int32_t t = ref.end(e, f.ef);
    starter st{f.ref, static_cast<uint32_t>(targets.size()), 0};
    live_hyps.for_each([&](size_t h) {
      const entity& eh = hyp[h];
      if (hyp.first_start(eh) < t && hyp.last_end(eh) > s) {
        targets.push_back(nref + static_cast<int32_t>(h));
      }
    });
    st.count = static_cast<uint32_t>(targets.size()) - st.first;
    starters.push_back(st);
  }
  // Starting hypothesis entities: their targets are the reference entities
  // the path started earlier whose chosen span reaches into the segment.
  for (int32_t h : seg.starting_hyps) {
    starter st{nref + h, static_cast<uint32_t>(targets.size()), 0};
    for (const choice& c : pan_choices) {
      if (ref.end(ref[static_cast<size_t>(c.ref)], c.ef) > seg.start) {
        targets.push_back(c.ref);
      }
    }
    st.count = static_cast<uint32_t>(targets.size()) - st.first;
    starters.push_back(st);
  }

  // The choices of every alternative of this combination: the parent's that
  // still matter, and the new ones (the slots are in index order).
  c_new_choices.clear();
  for (size_t k = 0; k < slots.size(); k++) {
    if (!already[k] && slot_choice[k].ef != -1) {
      c_new_choices.push_back(slot_choice[k]);
    }
  }
  c_choices.clear();
  std::merge(pan_choices.begin(), pan_choices.end(), c_new_choices.begin(), c_new_choices.end(),
             std::back_inserter(c_choices),
             [](const choice& a, const choice& b) { return a.ref < b.ref; });
  c_choices_hash = choices_hash(seg);

  if (decisions_end_here(pan, seg)) {
    cheapest_alternative(pan, seg);
    return;
  }
  const open_pair* open = cur.pairs.data() + pan.pairs;
  const uint32_t nopen = pan.npairs;
  for_each_accepted_alternative(
      starters, targets,
      [&](int32_t x, int32_t y) { return x >= nref ? id_pair(x, y) : id_pair(y, x); },
      [&](int32_t id) { return pan_active(pan, id); },
      [&](const id_pair& p) {
        for (uint32_t i = 0; i < nopen; i++) {
          if (crosses(p, id_pair(open[i].hyp, open[i].ref))) {
            return true;
          }
        }
        return false;
      },
      [&](const id_pair& a, const id_pair& b) { return crosses(a, b); }, used, digit, chosen,
      [&](const std::vector<int>& d) { add_child(pan, seg, d); });
}

// Every alternative of a combination ends in one state when all it may
// decide ends with the segment: the pairings it makes close at once. Only the
// first of the cheapest then matters: it alone would stay of them all, at the
// place in the list that the first of them takes (they are made one after
// another, nothing in between). It is found by branch and bound. A bound
// adds its terms in the order the score of an alternative adds them, from
// the same start, each term no more than the alternative's own; rounding
// being monotone, a bound is then never above the score of any alternative
// below it, bit for bit — as long as no sum is NaN. The description's NaN and
// -inf are refused when it returns them; a sum of finite negative costs
// could still reach -inf and meet a +inf, so where the costs are large
// enough for that the full enumeration runs instead.
bool search::decisions_end_here(const node& pan, const segment& seg) const {
  uint32_t count = 0;
  for (const starter& st : starters) {
    if (last_end(st.x) != seg.end) {
      return false;
    }
    count += st.count;
  }
  // One alternative only; or too many starters for bounds that each cost a
  // pass over all of them (the full enumeration is bounded by the limit).
  if (count == 0 || starters.size() > 64 || count > 1024) {
    return false;
  }
  const double inf = std::numeric_limits<double>::infinity();
  if (pan.score != pan.score || pan.score == -inf) {
    return false;
  }
  double magnitude = pan.score == inf ? 0.0 : std::fabs(pan.score);
  auto add = [&](double cost) {
    if (cost != inf) {
      magnitude += std::fabs(cost);
    }
  };
  for (const starter& st : starters) {
    add(miss_of(st.x));
    for (uint32_t k = st.first; k < st.first + st.count; k++) {
      if (last_end(targets[k]) != seg.end) {
        return false;
      }
      int32_t record = 0;
      add(pair_cost(st.x, targets[k], record));
    }
  }
  // No sum of these can overflow: every bound and score stays a number.
  return magnitude < 1e300;
}

// The miss cost a starter is charged when left unpaired: a reference entity
// with the candidates of this combination.
double search::miss_of(int32_t x) const {
  if (x >= nref) {
    return hyp.miss_record(hyp[static_cast<size_t>(x - nref)], 0, 0).cost;
  }
  const int32_t k = slot_of[static_cast<size_t>(x)];
  const choice& f = slot_choice[static_cast<size_t>(k)];
  return ref.miss_record(ref[static_cast<size_t>(x)], f.sf, f.ef).cost;
}

// The cost of pairing starter x with its target y, and the record charged.
double search::pair_cost(int32_t x, int32_t y, int32_t& record) const {
  const int32_t eh = x >= nref ? x : y;
  const int32_t er = x >= nref ? y : x;
  int32_t sf, ef;
  if (x >= nref) {
    const choice* c = nullptr;
    for (const choice& pc : pan_choices) {
      if (pc.ref == er) {
        c = &pc;
      }
    }
    assert(c);
    sf = c->sf;
    ef = c->ef;
  } else {
    const choice& f = slot_choice[static_cast<size_t>(slot_of[static_cast<size_t>(er)])];
    sf = f.sf;
    ef = f.ef;
  }
  const substitution_costs::partner* partner = costs.find(er, eh - nref);
  assert(partner && "paired entities never shared a segment");
  record = static_cast<int32_t>(partner->records +
                                static_cast<uint32_t>(sf) * ref[static_cast<size_t>(er)].nends +
                                static_cast<uint32_t>(ef));
  return costs.records[static_cast<size_t>(record)].cost;
}

bool search::id_crosses_open(const node& pan, const id_pair& p) const {
  const open_pair* open = cur.pairs.data() + pan.pairs;
  for (uint32_t i = 0; i < pan.npairs; i++) {
    if (crosses(p, id_pair(open[i].hyp, open[i].ref))) {
      return true;
    }
  }
  for (const auto& c : chosen) {
    if (crosses(p, c.second)) {
      return true;
    }
  }
  return false;
}

// Whether digit d of `level` is accepted after the levels above it, as the
// enumeration of alternatives decides; p receives its pair.
bool search::accepted(const node& pan, int level, int d, id_pair& p) const {
  if (d == 0) {
    return true;
  }
  const starter& st = starters[static_cast<size_t>(level)];
  const int32_t y = targets[st.first + static_cast<uint32_t>(d - 1)];
  p = st.x >= nref ? id_pair(st.x, y) : id_pair(y, st.x);
  return !pan_active(pan, p.first) && !pan_active(pan, p.second) &&
         !used[static_cast<size_t>(p.first)] && !used[static_cast<size_t>(p.second)] &&
         !id_crosses_open(pan, p);
}

// The least the alternatives below `level` can cost, the levels from `level`
// up being decided: decided starters as charged, undecided ones at their
// cheapest option that no decided pairing rules out.
double search::lower_bound(const node& pan, int level) const {
  double lb = pan.score;
  const int m = static_cast<int>(starters.size());
  auto can_pair = [&](int32_t x, int32_t y) {
    const id_pair p = x >= nref ? id_pair(x, y) : id_pair(y, x);
    return !pan_active(pan, p.first) && !pan_active(pan, p.second) &&
           !used[static_cast<size_t>(p.first)] && !used[static_cast<size_t>(p.second)] &&
           !id_crosses_open(pan, p);
  };
  for (int k = 0; k < m; k++) {
    const starter& st = starters[static_cast<size_t>(k)];
    const int32_t x = st.x;
    if (k >= level) {
      const int d = digit[static_cast<size_t>(k)];
      if (d > 0) {
        int32_t record;
        lb += pair_cost(x, targets[st.first + static_cast<uint32_t>(d - 1)], record);
      } else if (x < nref) {
        lb += miss_of(x);
      } else if (!used[static_cast<size_t>(x)]) {
        // Unless an undecided reference starter may still pair it.
        bool may_pair = false;
        for (int j = 0; j < level && !may_pair; j++) {
          const starter& r = starters[static_cast<size_t>(j)];
          for (uint32_t t = r.first; t < r.first + r.count && !may_pair; t++) {
            may_pair = targets[t] == x && r.x < nref && can_pair(r.x, x);
          }
        }
        lb += may_pair ? std::min(miss_of(x), 0.0) : miss_of(x);
      }
      continue;
    }
    double least = miss_of(x);
    if (x >= nref) {
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

void search::cheapest_from(const node& pan, const segment& seg, int level) {
  // A step counts once, and once more for every 4096 units of the work it
  // takes (each option a bound: a pass over the starters and targets, and
  // over the targets again for each starting hypothesis entity), so that the
  // limit bounds the time on wide segments as on small ones.
  const size_t weighed = level < 0 ? 1 : starters[static_cast<size_t>(level)].count + 1;
  alternatives_made += 1 + weighed * bound_work / 4096;
  if (alternatives_made > limits.max_alternatives) {
    fatal(1,
          "%s: Error: the least-cost alignment needs more than %zu alternatives in the segment "
          "at position %d (see --search-limit).\n",
          ref_fname, limits.max_alternatives, seg.start);
  }
  const int m = static_cast<int>(starters.size());
  if (level < 0) {
    const double cost = lower_bound(pan, 0);  // all decided: the cost itself
    bool better = best_digit.empty() || cost < best_cost;
    for (int k = m - 1; !better && k >= 0 && cost == best_cost; k--) {
      if (digit[static_cast<size_t>(k)] != best_digit[static_cast<size_t>(k)]) {
        better = digit[static_cast<size_t>(k)] < best_digit[static_cast<size_t>(k)];
        break;
      }
    }
    if (better) {
      best_cost = cost;
      best_digit = digit;
    }
    return;
  }
  // The accepted options of this level, cheapest bound first.
  std::vector<std::pair<double, int>>& options = level_options[static_cast<size_t>(level)];
  options.clear();
  const starter& st = starters[static_cast<size_t>(level)];
  for (int d = 0; d <= static_cast<int>(st.count); d++) {
    id_pair p;
    if (!accepted(pan, level, d, p)) {
      continue;
    }
    digit[static_cast<size_t>(level)] = d;
    if (d > 0) {
      chosen.emplace_back(level, p);
      used[static_cast<size_t>(p.first)] = 1;
      used[static_cast<size_t>(p.second)] = 1;
    }
    options.emplace_back(lower_bound(pan, level), d);
    if (d > 0) {
      chosen.pop_back();
      used[static_cast<size_t>(p.first)] = 0;
      used[static_cast<size_t>(p.second)] = 0;
    }
  }
  std::sort(options.begin(), options.end());
  // Copied: deeper levels reuse their own vectors, but a copy keeps this one safe.
  const std::vector<std::pair<double, int>> mine = options;
  for (const auto& [lb, d] : mine) {
    if (!best_digit.empty()) {
      if (lb > best_cost) {
        break;  // the rest are bounded higher still
      }
      if (lb == best_cost) {
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
    id_pair p;
    accepted(pan, level, d, p);
    if (d > 0) {
      chosen.emplace_back(level, p);
      used[static_cast<size_t>(p.first)] = 1;
      used[static_cast<size_t>(p.second)] = 1;
    }
    cheapest_from(pan, seg, level - 1);
    if (d > 0) {
      chosen.pop_back();
      used[static_cast<size_t>(p.first)] = 0;
      used[static_cast<size_t>(p.second)] = 0;
    }
  }
  digit[static_cast<size_t>(level)] = -1;
}

void search::cheapest_alternative(const node& pan, const segment& seg) {
  const int m = static_cast<int>(starters.size());
  const size_t hyp_starters = static_cast<size_t>(std::count_if(
      starters.begin(), starters.end(), [&](const starter& st) { return st.x >= nref; }));
  bound_work = starters.size() + targets.size() * (1 + hyp_starters);
  digit.assign(static_cast<size_t>(m), -1);
  chosen.clear();
  best_digit.clear();
  if (level_options.size() < static_cast<size_t>(m)) {
    level_options.resize(static_cast<size_t>(m));
  }
  cheapest_from(pan, seg, m - 1);
  add_child(pan, seg, best_digit);
}

// Builds the child of `pan` for one accepted alternative in the scratch
// vectors, then keeps it or merges it. Costs are added in starter order, so
// that equal paths get bit-identical scores.
void search::add_child(const node& pan, const segment& seg, const std::vector<int>& digit_of) {
  // An alternative of many starters weighs as much as the work it takes.
  alternatives_made += 1 + starters.size() / 64;
  if (alternatives_made > limits.max_alternatives) {
    fatal(1,
          "%s: Error: the least-cost alignment needs more than %zu alternatives in the segment "
          "at position %d (see --search-limit).\n",
          ref_fname, limits.max_alternatives, seg.start);
  }
  double score = pan.score;
  c_pairings.clear();
  c_unmapped.clear();
  c_added.clear();
  c_pairs.assign(cur.pairs.begin() + pan.pairs, cur.pairs.begin() + pan.pairs + pan.npairs);
  auto added = [&](int32_t id) {
    return std::find(c_added.begin(), c_added.end(), id) != c_added.end();
  };
  size_t next_slot = 0;  // the reference starters follow the slots' order
  for (size_t i = 0; i < starters.size(); i++) {
    const starter& st = starters[i];
    const int32_t x = st.x;
    const int tidx = digit_of[i];
    if (tidx == 0) {
      if (x >= nref) {
        // A starting hypothesis entity that a starting reference entity paired.
        if (used[static_cast<size_t>(x)] || added(x)) {
          continue;
        }
        c_unmapped.push_back(-1 - (x - nref));
        score += hyp.miss_record(hyp[static_cast<size_t>(x - nref)], 0, 0).cost;
      } else {
        while (slot_choice[next_slot].ref != x) {
          next_slot++;
        }
        const choice& f = slot_choice[next_slot];
        const cost_record& miss = ref.miss_record(ref[static_cast<size_t>(x)], f.sf, f.ef);
        assert(miss.asked() && "miss cost of a span that was never costed");
        c_unmapped.push_back(x);
        score += miss.cost;
      }
      continue;
    }
    const int32_t y = targets[st.first + static_cast<uint32_t>(tidx - 1)];
    const int32_t eh = x >= nref ? x : y;
    const int32_t er = x >= nref ? y : x;
    // The chosen candidates of er: made in this combination, or on the path.
    const choice* erf = nullptr;
    for (const choice& c : c_new_choices) {
      if (c.ref == er) {
        erf = &c;
      }
    }
    if (!erf) {
      erf = find_choice(pan, er);
    }
    assert(erf && "paired reference entity has no choice");
    const substitution_costs::partner* partner = costs.find(er, eh - nref);
    assert(partner && "paired entities never shared a segment");
    const entity& e = ref[static_cast<size_t>(er)];
    const uint32_t record = partner->records + static_cast<uint32_t>(erf->sf) * e.nends +
                            static_cast<uint32_t>(erf->ef);
    assert(costs.records[record].asked() && "pairing whose cost was never asked");
    c_pairings.push_back(er);
    c_pairings.push_back(eh - nref);
    c_pairings.push_back(static_cast<int32_t>(record));
    c_pairs.push_back(open_pair{eh, er});
    c_added.push_back(eh);
    c_added.push_back(er);
    score += costs.records[record].cost;
  }

  // The active set after the segment: paired entities whose last end lies
  // beyond it.
  c_active.clear();
  const int32_t* pa = cur.active.data() + pan.active;
  for (uint32_t i = 0; i < pan.nactive; i++) {
    if (last_end(pa[i]) != seg.end) {
      c_active.push_back(pa[i]);
    }
  }
  const size_t kept = c_active.size();
  for (int32_t id : c_added) {
    if (last_end(id) != seg.end) {
      c_active.push_back(id);
    }
  }
  if (c_active.size() > kept) {
    std::sort(c_active.begin() + static_cast<long>(kept), c_active.end());
    std::inplace_merge(c_active.begin(), c_active.begin() + static_cast<long>(kept),
                       c_active.end());
  }
  // Open pairings lose those with an entity that ended.
  auto is_active = [&](int32_t id) {
    return std::binary_search(c_active.begin(), c_active.end(), id);
  };
  c_pairs.erase(
      std::remove_if(c_pairs.begin(), c_pairs.end(),
                     [&](const open_pair& p) { return !is_active(p.hyp) || !is_active(p.ref); }),
      c_pairs.end());
  keep(seg, score, pan.step);
}

uint64_t search::state_hash() const {
  uint64_t h = mix(c_active.size(), c_pairs.size());
  for (int32_t id : c_active) {
    h = mix(h, static_cast<uint32_t>(id));
  }
  for (const open_pair& p : c_pairs) {
    h = mix(h, static_cast<uint64_t>(static_cast<uint32_t>(p.hyp)) << 32 |
                   static_cast<uint32_t>(p.ref));
  }
  return mix(h, c_choices_hash);
}

uint64_t search::choices_hash(const segment& seg) const {
  uint64_t h = c_choices.size();
  // A choice whose end the segment has passed cannot matter any more:
  // states that differ only there are one.
  for (const choice& c : c_choices) {
    const bool open = ref.end(ref[static_cast<size_t>(c.ref)], c.ef) > seg.end;
    h = mix(h, static_cast<uint32_t>(c.ref));
    h = mix(h, open ? static_cast<uint64_t>(static_cast<uint32_t>(c.sf)) << 32 |
                          static_cast<uint32_t>(c.ef)
                    : static_cast<uint64_t>(-1));
  }
  return h;
}

bool search::same_state(const node& o, const segment& seg) const {
  if (o.nactive != c_active.size() || o.npairs != c_pairs.size() ||
      o.nchoices != c_choices.size()) {
    return false;
  }
  if (!std::equal(c_active.begin(), c_active.end(), next.active.begin() + o.active)) {
    return false;
  }
  // The order matters: the same pairs made in another order are a difference.
  if (!std::equal(c_pairs.begin(), c_pairs.end(), next.pairs.begin() + o.pairs)) {
    return false;
  }
  const choice* oc = next.choices.data() + o.choices;
  for (size_t i = 0; i < c_choices.size(); i++) {
    const choice& a = c_choices[i];
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

// Keeps the child in the scratch vectors, or merges it with the equivalent
// partial solution already kept: the cheaper stays, the earlier on equal cost.
void search::keep(const segment& seg, double score, int32_t prev_step) {
  const uint64_t h = state_hash();
  if (index.size() < 2 * (next.nodes.size() + 1)) {
    // Grown and rebuilt.
    size_t size = 64;
    while (size < 4 * (next.nodes.size() + 1)) {
      size *= 2;
    }
    index.assign(size, -1);
    index_stamp.assign(size, 0);
    for (size_t i = 0; i < next.nodes.size(); i++) {
      size_t at = next.nodes[i].hash & (index.size() - 1);
      while (index_stamp[at] == stamp) {
        at = (at + 1) & (index.size() - 1);
      }
      index[at] = static_cast<int32_t>(i);
      index_stamp[at] = stamp;
    }
  }
  size_t at = h & (index.size() - 1);
  int32_t found = -1;
  while (index_stamp[at] == stamp) {
    const node& o = next.nodes[static_cast<size_t>(index[at])];
    if (o.hash == h && same_state(o, seg)) {
      found = index[at];
      break;
    }
    at = (at + 1) & (index.size() - 1);
  }
  if (found >= 0 && score >= next.nodes[static_cast<size_t>(found)].score) {
    return;
  }

  int32_t step_id = prev_step;
  if (!c_pairings.empty() || !c_unmapped.empty() || !c_new_choices.empty()) {
    step st{prev_step,
            static_cast<uint32_t>(current_segment),
            static_cast<uint32_t>(decisions.size()),
            static_cast<uint32_t>(c_pairings.size() / 3),
            static_cast<uint32_t>(c_unmapped.size()),
            static_cast<uint32_t>(c_new_choices.size())};
    decisions.insert(decisions.end(), c_pairings.begin(), c_pairings.end());
    decisions.insert(decisions.end(), c_unmapped.begin(), c_unmapped.end());
    for (const choice& c : c_new_choices) {
      decisions.push_back(c.ref);
      decisions.push_back(c.sf);
      decisions.push_back(c.ef);
    }
    history.push_back(st);
    step_id = static_cast<int32_t>(history.size() - 1);
  }

  node n{score,
         step_id,
         static_cast<uint32_t>(next.active.size()),
         static_cast<uint32_t>(c_active.size()),
         static_cast<uint32_t>(next.pairs.size()),
         static_cast<uint32_t>(c_pairs.size()),
         static_cast<uint32_t>(next.choices.size()),
         static_cast<uint32_t>(c_choices.size()),
         h};
  next.active.insert(next.active.end(), c_active.begin(), c_active.end());
  next.pairs.insert(next.pairs.end(), c_pairs.begin(), c_pairs.end());
  next.choices.insert(next.choices.end(), c_choices.begin(), c_choices.end());
  if (found >= 0) {
    next.nodes[static_cast<size_t>(found)] = n;
    return;
  }
  if (next.nodes.size() >= limits.max_partial_solutions) {
    fatal(1,
          "%s: Error: the least-cost alignment needs more than %zu partial solutions at once "
          "at position %d (see --search-limit).\n",
          ref_fname, limits.max_partial_solutions, seg.start);
  }
  index[at] = static_cast<int32_t>(next.nodes.size());
  index_stamp[at] = stamp;
  next.nodes.push_back(n);
}

void search::expand_node(size_t s, const node& pan) {
  const segment seg = segs[s];
  // The parent's choices of entities whose last end is not before the segment.
  pan_choices.clear();
  const choice* pc = cur.choices.data() + pan.choices;
  for (uint32_t i = 0; i < pan.nchoices; i++) {
    if (ref.last_end(ref[static_cast<size_t>(pc[i].ref)]) >= seg.start) {
      pan_choices.push_back(pc[i]);
    }
  }
  start_choices(pan, seg);
}

void search::expand(size_t s) {
  const segment seg = segs[s];
  slots = seg.starting_refs;
  already.assign(slots.size(), 0);
  slot_choice.assign(slots.size(), choice{-1, -1, -1});
  for (size_t k = 0; k < slots.size(); k++) {
    // Two slots of one entity would make the backtracking loop for ever.
    assert((k == 0 || slots[k - 1].ref < slots[k].ref) && "one slot per entity, in index order");
    slot_of[static_cast<size_t>(slots[k].ref)] = static_cast<int32_t>(k);
  }
  for (int32_t h : seg.starting_hyps) {
    live_hyps.insert(static_cast<size_t>(h));
  }

  next.clear();
  current_segment = s;
  alternatives_made = 0;
  if (++stamp == 0) {
    // After 2^32 segments the stamps start again from a clean table.
    std::fill(index_stamp.begin(), index_stamp.end(), 0);
    stamp = 1;
  }
  for (const node& pan : cur.nodes) {
    expand_node(s, pan);
  }
  if (next.nodes.empty()) {
    no_consistent_choice(seg);
  }

  for (const ref_start& rs : slots) {
    slot_of[static_cast<size_t>(rs.ref)] = -1;
  }
  std::swap(cur, next);
}

namespace {

// Whether some choice of `e` lies within [lo, hi] and is not empty.
bool fits_within(const entity_set& set, const entity& e, int32_t lo, int32_t hi) {
  int32_t s = -1;
  for (uint32_t i = 0; i < e.nstarts && s < 0; i++) {
    if (set.start(e, static_cast<int>(i)) >= lo) {
      s = set.start(e, static_cast<int>(i));
    }
  }
  int32_t t = -1;
  for (uint32_t i = e.nends; i-- > 0 && t < 0;) {
    if (set.end(e, static_cast<int>(i)) <= hi) {
      t = set.end(e, static_cast<int>(i));
    }
  }
  return s >= 0 && t >= 0 && s < t;
}

}  // namespace

// No partial solution survived the segment. Says why: first a fault of the
// reference that no choice could avoid, at the marker of the entity that
// cannot be placed; else which entities start here.
void search::no_consistent_choice(const segment& seg) const {
  // Faults that no choice anywhere could avoid come first.
  for (size_t k = 0; k < slots.size(); k++) {
    const int32_t r = slots[k].ref;
    const entity& e = ref[static_cast<size_t>(r)];
    const int32_t left = ref.left_constraint(static_cast<size_t>(r));
    if (left >= 0) {
      // It must start at or after the end of the entity before it at its depth.
      const entity& l = ref[static_cast<size_t>(left)];
      if (ref.start(e, static_cast<int>(e.nstarts) - 1) < ref.end(l, 0)) {
        fatal_at(ref_fname, e.line, e.col,
                 "Error: Malformed annotation, annotation %d overlaps annotation %d (line %d) at "
                 "the same depth; one of them must be the other's parent.\n",
                 r, left, l.line);
      }
    }
    const int32_t parent = ref.parent(static_cast<size_t>(r));
    if (parent < 0) {
      continue;
    }
    const entity& p = ref[static_cast<size_t>(parent)];
    int32_t a = parent;
    for (size_t steps = 0; a >= 0 && a != r && steps < ref.size(); steps++) {
      a = ref.parent(static_cast<size_t>(a));
    }
    if (a == r) {
      fatal_at(ref_fname, e.line, e.col,
               "Error: Malformed annotation, annotation %d is its own ancestor through its "
               "parent %d (line %d).\n",
               r, parent, p.line);
    }
    if (!fits_within(ref, e, ref.first_start(p), ref.last_end(p))) {
      fatal_at(ref_fname, e.line, e.col,
               "Error: Malformed annotation, annotation %d lies outside every choice of its "
               "parent %d (line %d).\n",
               r, parent, p.line);
    }
  }
  // Entities starting together take their choices in id order, so a child
  // numbered before its parent has no parent choice to fit in yet: the cause
  // when the child cannot wait for a later start and no path has placed the
  // parent before.
  for (size_t k = 0; k < slots.size(); k++) {
    const int32_t r = slots[k].ref;
    const entity& e = ref[static_cast<size_t>(r)];
    const int32_t parent = ref.parent(static_cast<size_t>(r));
    if (parent < 0 || slot_of[static_cast<size_t>(parent)] <= static_cast<int32_t>(k) ||
        slots[k].fid != static_cast<int32_t>(e.nstarts) - 1) {
      continue;
    }
    const bool placed_before = std::any_of(cur.nodes.begin(), cur.nodes.end(), [&](const node& n) {
      return find_choice(n, parent) != nullptr;
    });
    if (!placed_before) {
      fatal_at(ref_fname, e.line, e.col,
               "Error: annotation %d starts with its parent %d (line %d) but has a lower id; "
               "number a parent before its children.\n",
               r, parent, ref[static_cast<size_t>(parent)].line);
    }
  }
  std::string starting;
  for (const ref_start& rs : slots) {
    starting += starting.empty() ? "" : ", ";
    starting += std::to_string(rs.ref) + " (line " +
                std::to_string(ref[static_cast<size_t>(rs.ref)].line) + ")";
  }
  if (starting.empty()) {
    fatal(1,
          "%s: Error: the reference's alternative boundaries admit no consistent choice at "
          "position %d.\n",
          ref_fname, seg.start);
  }
  const bool one = slots.size() == 1;
  fatal(1,
        "%s: Error: the reference's alternative boundaries admit no consistent choice at "
        "position %d, where annotation%s %s start%s.\n",
        ref_fname, seg.start, one ? "" : "s", starting.c_str(), one ? "s" : "");
}

// Writes the steps of the only partial solution left, through segment
// `through`, to the result, and starts the history again.
void search::commit(size_t through) {
  assert(cur.nodes.size() == 1);
  path.clear();
  for (int32_t st = cur.nodes[0].step; st >= 0; st = history[static_cast<size_t>(st)].prev) {
    path.push_back(st);
  }
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    const step& st = history[static_cast<size_t>(*it)];
    assert(st.seg >= committed && st.seg <= through && "path and segments out of step");
    const int32_t* d = decisions.data() + st.decisions;
    for (uint32_t i = 0; i < st.npairs; i++, d += 3) {
      result.pairs.push_back(pairing{st.seg, d[0], d[1], static_cast<uint32_t>(d[2])});
    }
    for (uint32_t i = 0; i < st.nunmapped; i++, d++) {
      result.unmapped.push_back(unmapped_entity{st.seg, *d});
    }
    for (uint32_t i = 0; i < st.nchoices; i++, d += 3) {
      result.chosen[static_cast<size_t>(d[0])] = frontier_choice(d[1], d[2]);
    }
  }
  (void)through;
  committed = through + 1;
  history.clear();
  decisions.clear();
  cur.nodes[0].step = -1;
}

// Drops the steps that no partial solution leads back to, when the history
// has grown without a commit.
void search::collect_history() {
  std::vector<int32_t> renumber(history.size(), -1);
  for (const node& n : cur.nodes) {
    for (int32_t st = n.step; st >= 0 && renumber[static_cast<size_t>(st)] < 0;
         st = history[static_cast<size_t>(st)].prev) {
      renumber[static_cast<size_t>(st)] = 0;
    }
  }
  std::vector<step> kept_history;
  std::vector<int32_t> kept_decisions;
  for (size_t i = 0; i < history.size(); i++) {
    if (renumber[i] < 0) {
      continue;
    }
    renumber[i] = static_cast<int32_t>(kept_history.size());
    step st = history[i];
    const uint32_t size = 3 * st.npairs + st.nunmapped + 3 * st.nchoices;
    const uint32_t from = st.decisions;
    st.decisions = static_cast<uint32_t>(kept_decisions.size());
    kept_decisions.insert(kept_decisions.end(), decisions.begin() + from,
                          decisions.begin() + from + size);
    // Steps come after the steps they continue.
    st.prev = st.prev >= 0 ? renumber[static_cast<size_t>(st.prev)] : -1;
    kept_history.push_back(st);
  }
  for (node& n : cur.nodes) {
    n.step = n.step >= 0 ? renumber[static_cast<size_t>(n.step)] : -1;
  }
  history.swap(kept_history);
  decisions.swap(kept_decisions);
  collect_at = std::max<size_t>(collect_at, 2 * history.size());
}

void search::run() {
  const size_t nseg = segs.size();
  result.pairs.clear();
  result.unmapped.clear();
  result.chosen.assign(ref.size(), frontier_choice());

  // Hypothesis entities leave the live set after the last segment they concern.
  std::vector<uint32_t> leave_begin(nseg + 1, 0);
  std::vector<int32_t> leaving(hyp.size());
  if (nseg > 0) {
    for (int32_t last : segs.hyp_last) {
      leave_begin[static_cast<size_t>(last) + 1]++;
    }
    for (size_t s = 0; s < nseg; s++) {
      leave_begin[s + 1] += leave_begin[s];
    }
    std::vector<uint32_t> fill(leave_begin.begin(), leave_begin.end() - 1);
    for (size_t h = 0; h < hyp.size(); h++) {
      leaving[fill[static_cast<size_t>(segs.hyp_last[h])]++] = static_cast<int32_t>(h);
    }
  }

  cur.clear();
  cur.nodes.push_back(node{0, -1, 0, 0, 0, 0, 0, 0, 0});
  for (size_t s = 0; s < nseg; s++) {
    expand(s);
    for (uint32_t i = leave_begin[s]; i < leave_begin[s + 1]; i++) {
      live_hyps.erase(static_cast<size_t>(leaving[i]));
    }
    if (cur.nodes.size() == 1) {
      commit(s);
    } else if (history.size() > collect_at) {
      collect_history();
    }
  }
  assert(cur.nodes.size() == 1 && "every entity has ended after the last segment");
  result.pairs.shrink_to_fit();
  result.unmapped.shrink_to_fit();
}

}  // namespace

void align(const entity_set& ref, const entity_set& hyp, const segment_set& segments,
           const substitution_costs& costs, alignment_result& result, const char* ref_fname,
           const search_limits& limits) {
  search(ref, hyp, segments, costs, result, ref_fname, limits).run();
}
