// The literal search: one node per partial solution, merged by a linear scan.
#include "literal_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

using choice_map = std::map<int, frontier_choice>;  // by reference index

// What a surviving node decided in its own segment.
struct decisions {
  int prev;  // the decisions of the node it continues, -1 for none
  uint32_t seg;
  std::vector<pairing> pairs;
  std::vector<int32_t> unmapped;
  choice_map started;
};

struct node {
  int prev = -1;  // the decisions of its parent, -1 when there are none left to write
  double score = 0;
  std::vector<pairing> added_pairs;
  std::vector<int32_t> unmapped;
  choice_map started;                              // the choices made in its segment
  std::vector<std::pair<int, int>> current_pairs;  // (hypothesis id, reference id), oldest first
  std::set<int> active;  // reference entity r as r, hypothesis entity h as nref + h
  choice_map frontiers;  // the choices of the entities that may still matter
};

// One segment: its bounds, every entity it concerns (a candidate at its
// start, or spanning it), the reference entities with a start candidate at
// its start and the hypothesis entities that start there.
struct segment_info {
  uint32_t index;
  int32_t start, end;
  std::vector<int> refs, hyps;
  std::vector<std::pair<int, int>> slots;  // (reference entity, start candidate index)
  std::vector<int> starting_hyps;
};

class literal {
 public:
  literal(const scene& sc_, const search_limits& limits_)
      : sc(sc_), limits(limits_), nref(static_cast<int>(sc_.ref.size())) {}

  literal_outcome run();

 private:
  const entity& ref(int r) const { return sc.ref[size_t(r)]; }
  const entity& hyp(int h) const { return sc.hyp[size_t(h)]; }
  int32_t rstart(int r, int sf) const { return sc.ref.start(ref(r), sf); }
  int32_t rend(int r, int ef) const { return sc.ref.end(ref(r), ef); }
  int32_t last_end(int id) const {
    return id < nref ? sc.ref.last_end(ref(id)) : sc.hyp.last_end(hyp(id - nref));
  }
  int depth(int id) const { return id < nref ? ref(id).depth : hyp(id - nref).depth; }

  std::vector<segment_info> cut_segments() const;
  void expand(const node& pan, const segment_info& seg);
  const frontier_choice* lookup(const node& pan, const choice_map& choices, int c) const;
  bool valid(const node& pan, const choice_map& choices, int r, int sf, int ef) const;
  void alternatives(const node& pan, const segment_info& seg, const choice_map& choices);
  bool equivalent(const node& a, const node& b, const segment_info& seg) const;
  void write(node& last);

  const scene& sc;
  const search_limits& limits;
  const int nref;
  std::vector<node> opened;
  std::vector<decisions> history;
  literal_outcome out;
};

std::vector<segment_info> literal::cut_segments() const {
  std::set<int32_t> positions;
  for (const entity_set* side : {&sc.ref, &sc.hyp}) {
    positions.insert(side->positions.begin(), side->positions.end());
  }
  const std::vector<int32_t> frontiers(positions.begin(), positions.end());
  EXPECT_EQ(frontiers, sc.segs.frontiers) << "the scene was not cut";
  // Entities join at their first start and leave after the segment that
  // opens at their last end.
  std::multimap<int32_t, int> ref_joins, hyp_joins;
  for (int r = 0; r < nref; r++) {
    ref_joins.emplace(sc.ref.first_start(ref(r)), r);
  }
  for (int h = 0; h < int(sc.hyp.size()); h++) {
    hyp_joins.emplace(sc.hyp.first_start(hyp(h)), h);
  }
  std::set<int> refs, hyps;
  std::vector<segment_info> segs;
  for (size_t i = 0; i + 1 < frontiers.size(); i++) {
    segment_info seg{uint32_t(i), frontiers[i], frontiers[i + 1], {}, {}, {}, {}};
    for (auto [it, end] = ref_joins.equal_range(seg.start); it != end; ++it) {
      refs.insert(it->second);
    }
    for (auto [it, end] = hyp_joins.equal_range(seg.start); it != end; ++it) {
      hyps.insert(it->second);
    }
    seg.refs.assign(refs.begin(), refs.end());
    seg.hyps.assign(hyps.begin(), hyps.end());
    for (int r : seg.refs) {
      const entity& e = ref(r);
      for (int k = 0; k < int(e.nstarts); k++) {
        if (sc.ref.start(e, k) == seg.start) {
          seg.slots.emplace_back(r, k);
        }
      }
      if (sc.ref.last_end(e) <= seg.start) {
        refs.erase(r);
      }
    }
    for (int h : seg.hyps) {
      if (sc.hyp.first_start(hyp(h)) == seg.start) {
        seg.starting_hyps.push_back(h);
      }
      if (sc.hyp.last_end(hyp(h)) <= seg.start) {
        hyps.erase(h);
      }
    }
    segs.push_back(std::move(seg));
  }
  return segs;
}

// A constraint entity's choice: on the path, else made by an earlier slot of
// the combination (not deferred).
const frontier_choice* literal::lookup(const node& pan, const choice_map& choices, int c) const {
  auto on_path = pan.frontiers.find(c);
  if (on_path != pan.frontiers.end()) {
    return &on_path->second;
  }
  auto here = choices.find(c);
  return here != choices.end() && here->second.ef != -1 ? &here->second : nullptr;
}

bool literal::valid(const node& pan, const choice_map& choices, int r, int sf, int ef) const {
  const int32_t s = rstart(r, sf), t = rend(r, ef);
  // The program never chooses an empty span: it has no cost.
  if (s >= t) {
    return false;
  }
  const int32_t p = sc.ref.parent(size_t(r));
  if (p >= 0) {
    // A parent that ended before the child starts is no longer on the path.
    if (sc.ref.last_end(ref(p)) < s) {
      return false;
    }
    const frontier_choice* pf = lookup(pan, choices, p);
    if (!pf || rstart(p, pf->sf) > s || t > rend(p, pf->ef)) {
      return false;
    }
  }
  const int32_t l = sc.ref.left_constraint(size_t(r));
  if (l >= 0 && s < sc.ref.last_end(ref(l))) {
    const frontier_choice* lf = lookup(pan, choices, l);
    if (!lf || s < rend(l, lf->ef)) {
      return false;
    }
  }
  return true;
}

// The start combinations, in order: slot by slot with backtracking, each
// slot deferred first (unless at its entity's last start candidate), then
// each valid end candidate.
void literal::expand(const node& pan, const segment_info& seg) {
  const int n = static_cast<int>(seg.slots.size());
  std::vector<bool> already(size_t(n), false);
  for (int k = 0; k < n; k++) {
    already[size_t(k)] = pan.frontiers.count(seg.slots[size_t(k)].first) > 0;
  }
  choice_map choices;
  int slot = 0;
  bool backtracking = false;
  for (;;) {
    if (slot == n) {
      alternatives(pan, seg, choices);
      slot = n - 1;
      backtracking = true;
    }
    if (slot == -1) {
      return;
    }
    if (already[size_t(slot)]) {
      slot += backtracking ? -1 : 1;
      continue;
    }
    const int r = seg.slots[size_t(slot)].first;
    const int fid = seg.slots[size_t(slot)].second;
    auto it = choices.find(r);
    if (it == choices.end()) {
      choices[r] = frontier_choice(fid, -1);
      if (fid != int(ref(r).nstarts) - 1) {
        slot++;
        backtracking = false;
      }
      continue;
    }
    it->second.ef++;
    if (it->second.ef == int(ref(r).nends)) {
      choices.erase(it);
      slot--;
      backtracking = true;
      continue;
    }
    backtracking = false;
    if (valid(pan, choices, r, fid, it->second.ef)) {
      slot++;
    }
  }
}

// Every alternative number of one combination, decoded digit by digit and
// rejected at the first pair that fails.
void literal::alternatives(const node& pan, const segment_info& seg, const choice_map& choices) {
  std::vector<int> starting;
  std::vector<std::vector<int>> targets;
  for (const auto& [r, f] : choices) {
    if (f.ef == -1) {
      continue;
    }
    starting.push_back(r);
    targets.emplace_back();
    const int32_t s = rstart(r, f.sf), t = rend(r, f.ef);
    for (int h : seg.hyps) {
      if (sc.hyp.first_start(hyp(h)) < t && sc.hyp.last_end(hyp(h)) > s) {
        targets.back().push_back(nref + h);
      }
    }
  }
  for (int h : seg.starting_hyps) {
    starting.push_back(nref + h);
    targets.emplace_back();
    for (int r : seg.refs) {
      auto f = pan.frontiers.find(r);
      if (f != pan.frontiers.end() && rend(r, f->second.ef) > seg.start) {
        targets.back().push_back(r);
      }
    }
  }
  uint64_t nalt = 1;
  for (const std::vector<int>& t : targets) {
    nalt *= t.size() + 1;
  }
  if (nalt > 10000000) {
    ADD_FAILURE() << "too many alternatives for the literal search: " << nalt;
    return;
  }

  for (uint64_t k = 0; k < nalt; k++) {
    node an;
    an.prev = pan.prev;
    an.score = pan.score;
    an.active = pan.active;
    an.current_pairs = pan.current_pairs;
    for (const auto& [r, f] : pan.frontiers) {
      if (sc.ref.last_end(ref(r)) >= seg.start) {
        an.frontiers[r] = f;
      }
    }
    for (const auto& [r, f] : choices) {
      if (f.ef != -1) {
        an.frontiers[r] = f;
        an.started[r] = f;
      }
    }
    uint64_t idx = k;
    bool rejected = false;
    for (size_t i = 0; i < starting.size() && !rejected; i++) {
      const int x = starting[i];
      uint64_t tidx = 0;
      if (!targets[i].empty()) {
        tidx = idx % (targets[i].size() + 1);
        idx /= targets[i].size() + 1;
      }
      if (tidx == 0) {
        if (an.active.count(x)) {
          continue;
        }
        if (x >= nref) {
          an.unmapped.push_back(-1 - (x - nref));
          an.score += sc.hyp.miss_record(hyp(x - nref), 0, 0).cost;
        } else {
          const frontier_choice& f = choices.at(x);
          an.unmapped.push_back(x);
          an.score += sc.ref.miss_record(ref(x), f.sf, f.ef).cost;
        }
        continue;
      }
      const int y = targets[i][tidx - 1];
      const int eh = x >= nref ? x : y;
      const int er = x >= nref ? y : x;
      if (an.active.count(er) || an.active.count(eh)) {
        rejected = true;
        break;
      }
      for (const auto& [ph, pr] : an.current_pairs) {
        const int edr = depth(er), edh = depth(eh), pdr = depth(pr), pdh = depth(ph);
        if ((edr > pdr && edh < pdh) || (edr < pdr && edh > pdh)) {
          rejected = true;
        }
      }
      if (rejected) {
        break;
      }
      const frontier_choice& erf = an.frontiers.at(er);
      const substitution_costs::partner* table = sc.costs.find(er, eh - nref);
      if (!table) {
        ADD_FAILURE() << "no cost table for " << ref_name(er) << "=" << hyp_name(eh - nref);
        return;
      }
      const uint32_t record = table->records + uint32_t(erf.sf) * ref(er).nends + uint32_t(erf.ef);
      EXPECT_TRUE(sc.costs.records[record].asked());
      an.added_pairs.push_back(pairing{seg.index, er, eh - nref, record});
      an.current_pairs.emplace_back(eh, er);
      an.active.insert(eh);
      an.active.insert(er);
      an.score += sc.costs.records[record].cost;
    }
    if (!rejected) {
      opened.push_back(std::move(an));
    }
  }
}

bool literal::equivalent(const node& a, const node& b, const segment_info& seg) const {
  if (a.current_pairs.size() != b.current_pairs.size() || a.active.size() != b.active.size()) {
    return false;
  }
  if (a.active != b.active || a.current_pairs != b.current_pairs) {
    return false;
  }
  for (int r : seg.refs) {
    auto fa = a.frontiers.find(r), fb = b.frontiers.find(r);
    const bool ha = fa != a.frontiers.end(), hb = fb != b.frontiers.end();
    if (!ha && !hb) {
      continue;
    }
    if (ha != hb) {
      return false;
    }
    const bool open = rend(r, fa->second.ef) > seg.end || rend(r, fb->second.ef) > seg.end;
    if (open && fa->second != fb->second) {
      return false;
    }
  }
  return true;
}

// Writes the decisions of the path that leads to `last`, then forgets them:
// once a single node is left, every later path continues it.
void literal::write(node& last) {
  std::vector<int> path;
  for (int d = last.prev; d >= 0; d = history[size_t(d)].prev) {
    path.push_back(d);
  }
  for (auto it = path.rbegin(); it != path.rend(); ++it) {
    const decisions& d = history[size_t(*it)];
    out.result.pairs.insert(out.result.pairs.end(), d.pairs.begin(), d.pairs.end());
    for (int32_t id : d.unmapped) {
      out.result.unmapped.push_back(unmapped_entity{d.seg, id});
    }
    for (const auto& [r, f] : d.started) {
      out.result.chosen[size_t(r)] = f;
    }
  }
  history.clear();
  last.prev = -1;
}

literal_outcome literal::run() {
  out = literal_outcome();
  out.result.chosen.assign(sc.ref.size(), frontier_choice());
  const std::string fname = "ref.txt";
  std::vector<node> current(1);
  for (const segment_info& seg : cut_segments()) {
    opened.clear();
    for (const node& pan : current) {
      expand(pan, seg);
    }
    // End-of-segment update and merge, node by node in the order made, with
    // the limits counted as the program counts them.
    std::vector<node> next;
    size_t made = 0;
    for (node& an : opened) {
      if (++made > limits.max_alternatives) {
        out.error = fname + ": Error: the least-cost alignment needs more than " +
                    std::to_string(limits.max_alternatives) +
                    " alternatives in the segment at position " + std::to_string(seg.start) +
                    " (see --search-limit).\n";
        return out;
      }
      for (auto it = an.active.begin(); it != an.active.end();) {
        it = last_end(*it) == seg.end ? an.active.erase(it) : std::next(it);
      }
      an.current_pairs.erase(std::remove_if(an.current_pairs.begin(), an.current_pairs.end(),
                                            [&](const std::pair<int, int>& p) {
                                              return !an.active.count(p.first) ||
                                                     !an.active.count(p.second);
                                            }),
                             an.current_pairs.end());
      auto same = std::find_if(next.begin(), next.end(),
                               [&](const node& j) { return equivalent(an, j, seg); });
      if (same != next.end()) {
        if (an.score < same->score) {
          *same = std::move(an);
        }
        continue;
      }
      if (next.size() >= limits.max_partial_solutions) {
        out.error = fname + ": Error: the least-cost alignment needs more than " +
                    std::to_string(limits.max_partial_solutions) +
                    " partial solutions at once at position " + std::to_string(seg.start) +
                    " (see --search-limit).\n";
        return out;
      }
      next.push_back(std::move(an));
    }
    if (next.empty()) {
      out.error = fname +
                  ": Error: the reference's alternative boundaries admit no consistent choice "
                  "at position " +
                  std::to_string(seg.start) + ".\n";
      return out;
    }
    out.peak = std::max(out.peak, next.size());
    // The survivors' decisions go to the history; their own fields are
    // emptied for the next segment.
    for (node& n : next) {
      history.push_back(decisions{n.prev, seg.index, std::move(n.added_pairs),
                                  std::move(n.unmapped), std::move(n.started)});
      n.prev = static_cast<int>(history.size()) - 1;
      n.added_pairs.clear();
      n.unmapped.clear();
      n.started.clear();
    }
    if (next.size() == 1) {
      write(next[0]);
    }
    current = std::move(next);
  }
  EXPECT_EQ(1u, current.size()) << "more than one partial solution after the last segment";
  write(current[0]);
  out.ok = true;
  return out;
}

}  // namespace

literal_outcome literal_align(const scene& sc, const search_limits& limits) {
  return literal(sc, limits).run();
}
