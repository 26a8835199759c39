// Exhaustive reference solver used only by the tests.
#include "reference_solver.h"

#include <algorithm>
#include <vector>

namespace {

struct solver {
  const scene& sc;
  std::vector<frontier_choice> choice;  // per reference entity
  std::vector<int> partner;             // per reference entity: hypothesis index or -1
  std::vector<bool> hyp_used;
  std::optional<double> best;

  int s(size_t r) const { return sc.ref[r].start[choice[r].sf]; }
  int t(size_t r) const { return sc.ref[r].end[choice[r].ef]; }
  size_t index(const entity* e) const { return e - sc.ref.data(); }

  bool links_hold() const {
    for (size_t r = 0; r < sc.ref.size(); r++) {
      const entity& e = sc.ref[r];
      if (e.parent && e.parent != &e) {
        size_t p = index(e.parent);
        if (sc.ref[p].start[choice[p].sf] > s(r) || t(r) > sc.ref[p].end[choice[p].ef]) {
          return false;
        }
        if (s(p) == s(r) && p > r) {
          return false;
        }
      }
      if (const entity* l = e.left_constraint) {
        size_t li = index(l);
        if (s(r) < l->end.back() && s(r) < t(li)) {
          return false;
        }
      }
    }
    return true;
  }

  void evaluate() {
    struct pairing {
      int when;      // where the later of the two starts
      int open_til;  // both entities stay active before this position
      const entity* h;
      const entity* r;
    };
    std::vector<pairing> pairs;
    double cost = 0;
    for (size_t r = 0; r < sc.ref.size(); r++) {
      const entity& er = sc.ref[r];
      int p = partner[r];
      if (p < 0) {
        cost += er.miss_errors[choice[r].sf][choice[r].ef].cost;
        continue;
      }
      const entity& eh = sc.hyp[p];
      int hs = eh.start[0];
      if (hs > s(r)) {
        cost += er.miss_errors[choice[r].sf][choice[r].ef].cost;
      }
      if (s(r) > hs) {
        cost += eh.miss_errors[0][0].cost;
      }
      cost += er.subst_errors.at(&eh)[choice[r].sf][choice[r].ef].cost;
      pairs.push_back({std::max(hs, s(r)), std::min(eh.end.back(), er.end.back()), &eh, &er});
    }
    for (size_t h = 0; h < sc.hyp.size(); h++) {
      if (!hyp_used[h]) {
        cost += sc.hyp[h].miss_errors[0][0].cost;
      }
    }
    for (const pairing& a : pairs) {
      for (const pairing& b : pairs) {
        bool together = a.when < b.when ? a.open_til > b.when : a.when == b.when;
        if (&a == &b || !together) {
          continue;
        }
        int edr = b.r->depth, edh = b.h->depth, pdr = a.r->depth, pdh = a.h->depth;
        if ((edr > pdr && edh < pdh) || (edr < pdr && edh > pdh)) {
          return;
        }
      }
    }
    if (!best || cost < *best) {
      best = cost;
    }
  }

  void pair_from(size_t r) {
    if (r == sc.ref.size()) {
      evaluate();
      return;
    }
    partner[r] = -1;
    pair_from(r + 1);
    for (size_t h = 0; h < sc.hyp.size(); h++) {
      const entity& eh = sc.hyp[h];
      if (!hyp_used[h] && eh.start[0] < t(r) && eh.end[0] > s(r)) {
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
      if (links_hold()) {
        pair_from(0);
      }
      return;
    }
    const entity& e = sc.ref[r];
    for (size_t sf = 0; sf < e.start.size(); sf++) {
      for (size_t ef = 0; ef < e.end.size(); ef++) {
        if (e.start[sf] < e.end[ef]) {
          choice[r] = frontier_choice(sf, ef);
          choose_from(r + 1);
        }
      }
    }
  }
};

}  // namespace

std::optional<double> least_cost(const scene& sc) {
  solver sv{sc, std::vector<frontier_choice>(sc.ref.size()), std::vector<int>(sc.ref.size(), -1),
            std::vector<bool>(sc.hyp.size()), std::nullopt};
  sv.choose_from(0);
  return sv.best;
}
