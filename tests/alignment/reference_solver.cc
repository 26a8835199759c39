// Exhaustive reference solver used only by the tests.
#include "reference_solver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct solver {
  const scene& sc;
  const std::vector<frontier_choice>& choice;
  const std::vector<int>& partner;

  const entity& ref(size_t r) const { return sc.ref[r]; }
  int s(size_t r) const { return sc.ref.start(ref(r), choice[r].sf); }
  int t(size_t r) const { return sc.ref.end(ref(r), choice[r].ef); }

  bool links_hold() const {
    for (size_t r = 0; r < sc.ref.size(); r++) {
      if (s(r) >= t(r)) {
        return false;
      }
      const int32_t p = sc.ref.parent(r);
      if (p >= 0 && size_t(p) != r) {
        if (s(size_t(p)) > s(r) || t(r) > t(size_t(p))) {
          return false;
        }
        if (s(size_t(p)) == s(r) && size_t(p) > r) {
          return false;
        }
      }
      const int32_t l = sc.ref.left_constraint(r);
      if (l >= 0 && s(r) < sc.ref.last_end(ref(size_t(l))) && s(r) < t(size_t(l))) {
        return false;
      }
    }
    return true;
  }

  std::optional<double> cost() const {
    if (!links_hold()) {
      return std::nullopt;
    }
    struct open_pairing {
      int when;      // where the later of the two starts
      int open_til;  // both entities stay paired before this position
      int hdepth;
      int rdepth;
    };
    std::vector<open_pairing> pairs;
    std::vector<bool> hyp_used(sc.hyp.size());
    double total = 0;
    for (size_t r = 0; r < sc.ref.size(); r++) {
      const entity& er = ref(r);
      const double miss = sc.ref.miss_record(er, choice[r].sf, choice[r].ef).cost;
      const int h = partner[r];
      if (h < 0) {
        total += miss;
        continue;
      }
      const entity& eh = sc.hyp[size_t(h)];
      const int hs = sc.hyp.first_start(eh);
      const int he = sc.hyp.last_end(eh);
      if (hyp_used[size_t(h)] || hs >= t(r) || he <= s(r)) {
        return std::nullopt;
      }
      hyp_used[size_t(h)] = true;
      if (hs > s(r)) {
        total += miss;
      }
      if (s(r) > hs) {
        total += sc.hyp.miss_record(eh, 0, 0).cost;
      }
      const substitution_costs::partner* table = sc.costs.find(int32_t(r), h);
      if (!table) {
        ADD_FAILURE() << "no cost table for " << ref_name(int(r)) << "=" << hyp_name(h);
        return std::nullopt;
      }
      const cost_record& record =
          sc.costs
              .records[table->records + uint32_t(choice[r].sf) * er.nends + uint32_t(choice[r].ef)];
      EXPECT_TRUE(record.asked()) << ref_name(int(r)) << "=" << hyp_name(h);
      total += record.cost;
      pairs.push_back({std::max(hs, s(r)), std::min(he, sc.ref.last_end(er)), eh.depth, er.depth});
    }
    for (size_t h = 0; h < sc.hyp.size(); h++) {
      if (!hyp_used[h]) {
        total += sc.hyp.miss_record(sc.hyp[h], 0, 0).cost;
      }
    }
    for (const open_pairing& a : pairs) {
      for (const open_pairing& b : pairs) {
        const bool together = a.when < b.when ? a.open_til > b.when : a.when == b.when;
        if (&a == &b || !together) {
          continue;
        }
        if ((b.rdepth > a.rdepth && b.hdepth < a.hdepth) ||
            (b.rdepth < a.rdepth && b.hdepth > a.hdepth)) {
          return std::nullopt;
        }
      }
    }
    return total;
  }
};

struct search_all {
  const scene& sc;
  std::vector<frontier_choice> choice;
  std::vector<int> partner;
  std::vector<bool> hyp_used;
  std::optional<double> best;

  void pair_from(size_t r) {
    if (r == sc.ref.size()) {
      std::optional<double> c = solution_cost(sc, choice, partner);
      if (c && (!best || *c < *best)) {
        best = c;
      }
      return;
    }
    partner[r] = -1;
    pair_from(r + 1);
    const entity& er = sc.ref[r];
    const int s = sc.ref.start(er, choice[r].sf), t = sc.ref.end(er, choice[r].ef);
    for (size_t h = 0; h < sc.hyp.size(); h++) {
      const entity& eh = sc.hyp[h];
      if (!hyp_used[h] && sc.hyp.first_start(eh) < t && sc.hyp.last_end(eh) > s) {
        hyp_used[h] = true;
        partner[r] = static_cast<int>(h);
        pair_from(r + 1);
        hyp_used[h] = false;
      }
    }
    partner[r] = -1;
  }

  void choose_from(size_t r) {
    if (r == sc.ref.size()) {
      if (solver{sc, choice, partner}.links_hold()) {
        pair_from(0);
      }
      return;
    }
    const entity& e = sc.ref[r];
    for (int sf = 0; sf < int(e.nstarts); sf++) {
      for (int ef = 0; ef < int(e.nends); ef++) {
        if (sc.ref.start(e, sf) < sc.ref.end(e, ef)) {
          choice[r] = frontier_choice(sf, ef);
          choose_from(r + 1);
        }
      }
    }
  }
};

}  // namespace

std::optional<double> solution_cost(const scene& sc, const std::vector<frontier_choice>& choice,
                                    const std::vector<int>& partner) {
  return solver{sc, choice, partner}.cost();
}

std::optional<double> solution_cost(const scene& sc, const alignment_result& result) {
  if (result.chosen.size() != sc.ref.size()) {
    return std::nullopt;
  }
  for (size_t r = 0; r < sc.ref.size(); r++) {
    const frontier_choice& f = result.chosen[r];
    if (f.sf < 0 || f.sf >= int(sc.ref[r].nstarts) || f.ef < 0 || f.ef >= int(sc.ref[r].nends)) {
      return std::nullopt;
    }
  }
  std::vector<int> partner(sc.ref.size(), -1);
  for (const pairing& p : result.pairs) {
    if (partner[size_t(p.ref)] >= 0) {
      return std::nullopt;
    }
    partner[size_t(p.ref)] = p.hyp;
  }
  return solution_cost(sc, result.chosen, partner);
}

std::optional<double> least_cost(const scene& sc) {
  search_all all{sc, std::vector<frontier_choice>(sc.ref.size()),
                 std::vector<int>(sc.ref.size(), -1), std::vector<bool>(sc.hyp.size()),
                 std::nullopt};
  all.choose_from(0);
  return all.best;
}
