// Tests of the pairing alternatives: targets, numbering and order, the two
// rejections, and the costs; the pruned enumeration is also compared with a
// literal walk over every alternative number.
#include "alignment/pairing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>

#include "alignment/start_choices.h"
#include "fixture.h"

namespace {

class Pairing : public node_test {
 protected:
  start_choice_map starts(std::vector<std::pair<int, frontier_choice>> choices) {
    start_choice_map out;
    for (const auto& [r, f] : choices) {
      out[&sc.ref[r]] = f;
    }
    return out;
  }
  // Every accepted alternative, " | " between them; `full` adds the state.
  std::string alternatives(align_node* p, int sid, const start_choice_map& choices,
                           bool full = false) {
    std::list<align_node*> opened;
    add_pairing_alternatives(p, sc.segments[sid], choices, opened);
    std::string out;
    for (align_node* n : opened) {
      std::string one = render_node(sc, *n);
      if (!full) {
        one = one.substr(0, one.find(" {"));
      }
      out += (out.empty() ? "" : " | ") + one;
      n->unref();
    }
    return out;
  }
  void costs(double miss_ref, double miss_hyp, double subst) {
    set_costs(
        sc, [&](const entity& e, int, int) { return e.hyp ? miss_hyp : miss_ref; },
        [&](const entity&, int, int, const entity&) { return subst; });
  }
};

TEST_F(Pairing, StartingReferenceEntityMeetsOpenAndStartingHypotheses) {
  add_ref(sc, {5}, {10});
  add_hyp(sc, 0, 10);
  add_hyp(sc, 5, 7);
  cut(sc);
  set_costs(
      sc, [](const entity& e, int, int) { return e.hyp ? 2.0 + (e.end[0] == 7) : 1.0; },
      [](const entity&, int, int, const entity& h) { return 10.0 + (h.end[0] == 7); });
  EXPECT_EQ(
      "4: -r0 -h1 {} [] r0(0,0) | 13: r0=h0 -h1 {r0,h0} [h0:r0] r0(0,0) | "
      "11: r0=h1 {r0,h1} [h1:r0] r0(0,0)",
      alternatives(pan(1), 1, starts({{0, {0, 0}}}), true));
}

TEST_F(Pairing, SameSpanIsOfferedFromTheReferenceSideOnly) {
  add_ref(sc, {0}, {5});
  add_hyp(sc, 0, 5);
  cut(sc);
  costs(1, 1, 7);
  EXPECT_EQ("2: -r0 -h0 | 7: r0=h0", alternatives(pan(0), 0, starts({{0, {0, 0}}})));
}

TEST_F(Pairing, HypothesisPairedTwiceIsRejected) {
  add_ref(sc, {0}, {5});
  add_ref(sc, {0}, {5});
  add_hyp(sc, 0, 5);
  cut(sc);
  costs(1, 2, 0);
  EXPECT_EQ("4: -r0 -r1 -h0 | 1: r0=h0 -r1 | 1: r1=h0 -r0",
            alternatives(pan(0), 0, starts({{0, {0, 0}}, {1, {0, 0}}})));
}

TEST_F(Pairing, DeferredEntitiesDoNotStart) {
  add_ref(sc, {0, 2}, {5});
  add_hyp(sc, 0, 5);
  cut(sc);
  costs(1, 2, 0);
  EXPECT_EQ("2: -h0", alternatives(pan(0), 0, starts({{0, {0, -1}}})));
}

TEST_F(Pairing, LaterHypothesisPairsWithAnOpenReference) {
  add_ref(sc, {0}, {10});
  add_hyp(sc, 5, 10);
  cut(sc);
  costs(1, 2, 4);
  align_node* p = pan(1, {{0, {0, 0}}});
  p->score = 1;  // r0 was left unpaired when it started
  EXPECT_EQ("3: -h0 | 5: r0=h0", alternatives(p, 1, starts({})));
}

TEST_F(Pairing, ReferenceEndingWhereTheHypothesisStartsIsNoTarget) {
  add_ref(sc, {0}, {5, 10});
  add_hyp(sc, 5, 10);
  cut(sc);
  costs(1, 2, 4);
  EXPECT_EQ("2: -h0", alternatives(pan(1, {{0, {0, 0}}}), 1, starts({})));
  EXPECT_EQ("2: -h0 | 4: r0=h0", alternatives(pan(1, {{0, {0, 1}}}), 1, starts({})));
}

TEST_F(Pairing, HypothesisPairedEarlierCannotBePairedAgain) {
  add_ref(sc, {0}, {10});
  add_ref(sc, {3}, {6});
  add_hyp(sc, 0, 10);
  cut(sc);
  costs(1, 2, 0);
  align_node* p = pan(1, {{0, {0, 0}}});
  p->active_set = {&sc.ref[0], &sc.hyp[0]};
  p->current_pairs = {{&sc.hyp[0], &sc.ref[0]}};
  EXPECT_EQ("1: -r1", alternatives(p, 1, starts({{1, {0, 0}}})));
}

TEST_F(Pairing, CrossedNestingIsRejected) {
  // Open pairing: hypothesis at depth 0 with reference at depth 1.
  add_ref(sc, {0}, {10}, 1);
  add_ref(sc, {2}, {8}, 0);
  add_ref(sc, {2}, {8}, 1);
  add_hyp(sc, 0, 10, 0);
  add_hyp(sc, 1, 8, 1);
  add_hyp(sc, 1, 8, 0);
  cut(sc);
  costs(1, 1, 0);
  ASSERT_EQ(2, sc.segments[2].start);
  align_node* p = pan(2, {{0, {0, 0}}});
  p->active_set = {&sc.ref[0], &sc.hyp[0]};
  p->current_pairs = {{&sc.hyp[0], &sc.ref[0]}};
  // r1 (depth 0) may not take h1 (depth 1); equal depths on a side never reject.
  EXPECT_EQ("2: -r1 -r2 | 1: r1=h2 -r2 | 1: r2=h1 -r1 | 0: r1=h2 r2=h1 | 1: r2=h2 -r1",
            alternatives(p, 2, starts({{1, {0, 0}}, {2, {0, 0}}})));
}

TEST_F(Pairing, CrossedNestingWithinOneAlternativeIsRejected) {
  add_ref(sc, {0}, {8}, 0);
  add_ref(sc, {0}, {8}, 1);
  add_hyp(sc, 0, 8, 1);
  add_hyp(sc, 0, 8, 0);
  cut(sc);
  costs(1, 1, 0);
  // r0=h0 with r1=h1 crosses (reference 0 / hypothesis 1 against 1 / 0).
  EXPECT_EQ(
      "4: -r0 -r1 -h0 -h1 | 2: r0=h0 -r1 -h1 | 2: r0=h1 -r1 -h0 | 2: r1=h0 -r0 -h1 | "
      "0: r0=h1 r1=h0 | 2: r1=h1 -r0 -h0",
      alternatives(pan(0), 0, starts({{0, {0, 0}}, {1, {0, 0}}})));
}

TEST_F(Pairing, MinusOneIsARealCost) {
  add_ref(sc, {0}, {5});
  add_hyp(sc, 0, 5);
  cut(sc);
  costs(1, 1, -1);
  EXPECT_EQ("2: -r0 -h0 | -1: r0=h0", alternatives(pan(0), 0, starts({{0, {0, 0}}})));
}

TEST_F(Pairing, CostsFollowTheChosenCandidates) {
  add_ref(sc, {0}, {4, 8});
  add_hyp(sc, 0, 8);
  cut(sc);
  set_costs(
      sc, [](const entity& e, int, int ef) { return e.hyp ? 1.0 : 3.0 + ef; },
      [](const entity&, int, int ef, const entity&) { return 10.0 * ef; });
  EXPECT_EQ("4: -r0 -h0 | 0: r0=h0", alternatives(pan(0), 0, starts({{0, {0, 0}}})));
  EXPECT_EQ("5: -r0 -h0 | 10: r0=h0", alternatives(pan(0), 0, starts({{0, {0, 1}}})));
}

TEST_F(Pairing, AlternativesBeyondAnyIntegerWidthAreEnumeratedByPruning) {
  // 70 reference entities start inside one open hypothesis entity: 2^70
  // alternative numbers, of which only 71 pair the hypothesis at most once.
  add_hyp(sc, 0, 100);
  for (int i = 0; i < 70; i++) {
    add_ref(sc, {1}, {50});
  }
  cut(sc);
  set_costs(
      sc, [](const entity&, int, int) { return 1.0; },
      [&](const entity& r, int, int, const entity&) { return 100.0 + (&r - sc.ref.data()); });
  start_choice_map choices;
  for (entity& r : sc.ref) {
    choices[&r] = {0, 0};
  }
  std::list<align_node*> opened;
  add_pairing_alternatives(pan(1), sc.segments[1], choices, opened);
  ASSERT_EQ(71u, opened.size());
  int i = -1;
  for (align_node* n : opened) {
    EXPECT_EQ(i == -1 ? 70u : 69u, n->unmapped_entities.size());
    EXPECT_EQ(i == -1 ? 0u : 1u, n->added_pairs.size());
    if (i >= 0) {
      EXPECT_EQ(&sc.ref[i], n->added_pairs.front().er);
      EXPECT_EQ(69 + 100 + i, n->score);
    }
    i++;
    n->unref();
  }
}

// The pairing step read literally: every alternative number in turn, decoded
// digit by digit, rejected at the first pair that fails.
std::string literal_alternatives(const scene& sc, align_node* pan, const segment& seg,
                                 const start_choice_map& choices) {
  std::vector<entity*> starting;
  std::vector<std::vector<entity*>> targets;
  for (const auto& [e, f] : choices) {
    if (f.ef == -1) {
      continue;
    }
    starting.push_back(e);
    targets.emplace_back();
    for (entity* h : seg.entities) {
      if (h->hyp && h->start.front() < e->end[f.ef] && h->end.back() > e->start[f.sf]) {
        targets.back().push_back(h);
      }
    }
  }
  for (entity* h : seg.starting_hyp_entities) {
    starting.push_back(h);
    targets.emplace_back();
    for (entity* r : seg.entities) {
      const frontier_choice* f = r->hyp ? nullptr : pan->find_frontier(r);
      if (f && r->end[f->ef] > seg.start) {
        targets.back().push_back(r);
      }
    }
  }
  uint64_t nalt = 1;
  for (const auto& t : targets) {
    nalt *= t.size() + 1;
  }
  std::string out;
  for (uint64_t k = 0; k < nalt; k++) {
    align_node* an = new align_node(pan, &seg);
    for (const auto& [e, f] : choices) {
      if (f.ef != -1) {
        an->add_frontier(e, f);
      }
    }
    uint64_t idx = k;
    bool rejected = false;
    for (size_t i = 0; i < starting.size() && !rejected; i++) {
      entity* x = starting[i];
      uint64_t tidx = 0;
      if (!targets[i].empty()) {
        tidx = idx % (targets[i].size() + 1);
        idx /= targets[i].size() + 1;
      }
      if (tidx == 0) {
        if (!an->active(x)) {
          an->unmapped_entities.push_back(x);
          const frontier_choice* f = x->hyp ? nullptr : &choices.at(x);
          an->score += x->hyp ? x->miss_errors[0][0].cost : x->miss_errors[f->sf][f->ef].cost;
        }
        continue;
      }
      entity* y = targets[i][tidx - 1];
      entity* eh = x->hyp ? x : y;
      entity* er = x->hyp ? y : x;
      if (an->active(er) || an->active(eh)) {
        rejected = true;
        break;
      }
      for (const auto& [ph, pr] : an->current_pairs) {
        if ((er->depth > pr->depth && eh->depth < ph->depth) ||
            (er->depth < pr->depth && eh->depth > ph->depth)) {
          rejected = true;
        }
      }
      if (rejected) {
        break;
      }
      const frontier_choice* erf = an->find_frontier(er);
      const error_d* err = &er->subst_errors.at(eh)[erf->sf][erf->ef];
      an->added_pairs.emplace_back(er, eh, err);
      an->current_pairs.emplace_back(eh, er);
      an->active_set.insert(eh);
      an->active_set.insert(er);
      an->score += err->cost;
    }
    if (!rejected) {
      out += (out.empty() ? "" : " | ") + render_node(sc, *an);
    }
    an->unref();
  }
  return out;
}

TEST(PairingRandom, PrunedEnumerationEqualsTheLiteralOne) {
  std::mt19937 rng(20240611);
  random_shape shape;
  shape.nref_max = 4;
  shape.nhyp_max = 4;
  shape.positions = 8;
  shape.depths = 3;
  int compared = 0;
  for (int round = 0; round < 1500; round++) {
    scene sc;
    random_shape one = shape;
    one.candidates = 1 + round % 2;
    random_scene(sc, rng, one);
    if (sc.segments.empty()) {
      continue;
    }
    size_t sid = std::uniform_int_distribution<size_t>(0, sc.segments.size() - 1)(rng);
    const segment& seg = sc.segments[sid];
    // A path state before seg: some open reference entities started, some
    // entities paired, some of those pairs open.
    align_node* root = new align_node();
    align_node* p = root;
    if (sid > 0) {
      p = new align_node(root, &sc.segments[sid - 1]);
      root->unref();
      std::vector<const entity*> open;
      for (entity* e : seg.entities) {
        if (!e->hyp && e->start.front() < seg.start) {
          std::vector<frontier_choice> usable;
          for (size_t sf = 0; sf < e->start.size(); sf++) {
            for (size_t ef = 0; ef < e->end.size(); ef++) {
              if (e->start[sf] < seg.start && e->start[sf] < e->end[ef]) {
                usable.emplace_back(sf, ef);
              }
            }
          }
          p->add_frontier(e, usable[rng() % usable.size()]);
        }
        if (e->start.front() < seg.start && e->end.back() > seg.start && rng() % 2) {
          open.push_back(e);
        }
      }
      for (size_t i = 0; i + 1 < open.size(); i += 2) {
        if (open[i]->hyp != open[i + 1]->hyp) {
          p->active_set.insert(open[i]);
          p->active_set.insert(open[i + 1]);
          const entity* h = open[i]->hyp ? open[i] : open[i + 1];
          const entity* r = open[i]->hyp ? open[i + 1] : open[i];
          p->current_pairs.emplace_back(h, r);
        } else {
          p->active_set.insert(open[i]);
        }
      }
    }
    enumerate_start_choices(*p, seg, [&](const start_choice_map& choices) {
      std::list<align_node*> opened;
      add_pairing_alternatives(p, seg, choices, opened);
      std::string pruned;
      for (align_node* n : opened) {
        pruned += (pruned.empty() ? "" : " | ") + render_node(sc, *n);
        n->unref();
      }
      EXPECT_EQ(literal_alternatives(sc, p, seg, choices), pruned) << "round " << round;
      compared++;
    });
    p->unref();
#ifndef NDEBUG
    ASSERT_EQ(0, align_node::live_nodes);
#endif
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
