// Test-only builders and renderings for the alignment tests.
#include "fixture.h"

#include <gtest/gtest.h>

#include <list>
#include <set>
#include <sstream>

#include "alignment/align.h"
#include "description/cost_queries.h"

entity& add_ref(scene& sc, std::vector<int> starts, std::vector<int> ends, int depth) {
  entity& e = sc.ref.emplace_back(0, 1, 0, depth, false, attr_list());
  e.start = std::move(starts);
  e.end = std::move(ends);
  return e;
}

entity& add_hyp(scene& sc, int start, int end, int depth) {
  entity& e = sc.hyp.emplace_back(0, 1, 0, depth, true, attr_list());
  e.start = {start};
  e.end = {end};
  return e;
}

void cut(scene& sc) {
  frontier_map frontiers;
  add_frontiers(frontiers, sc.ref);
  add_frontiers(frontiers, sc.hyp);
  sc.segments.clear();
  build_segments(sc.segments, frontiers);
}

namespace {

error_d asked_cost(double cost) {
  error_d err;
  err.cost = cost;
  err.asked = true;
  return err;
}

}  // namespace

void set_costs(scene& sc, const miss_fn& miss, const subst_fn& subst) {
  // The records the description would be asked for, by the program's own rule.
  for (std::vector<entity>* side : {&sc.ref, &sc.hyp}) {
    for (entity& e : *side) {
      e.subst_errors.clear();
    }
    for_each_miss_query(*side, [&](const entity& e, int sf, int ef, error_d& record) {
      record = asked_cost(miss(e, sf, ef));
    });
  }
  for_each_substitution_query(
      sc.segments, [&](const entity& r, int sf, int ef, const entity& h, error_d& record) {
        record = asked_cost(subst(r, sf, ef, h));
      });
}

std::string name(const scene& sc, const entity* e) {
  const std::vector<entity>& side = e->hyp ? sc.hyp : sc.ref;
  return (e->hyp ? "h" : "r") + std::to_string(e - side.data());
}

namespace {

std::string render_choices(const scene& sc, const frontier_choice_map& frontiers) {
  std::string out;
  for (const auto& [e, f] : frontiers) {
    out += (out.empty() ? "" : " ") + name(sc, e) + "(" + std::to_string(f.sf) + "," +
           std::to_string(f.ef) + ")";
  }
  return out;
}

std::string render_decisions(const scene& sc, const std::list<segment::pairinfo>& pairs,
                             const std::list<entity*>& unmapped) {
  std::string out;
  for (const segment::pairinfo& p : pairs) {
    out += " " + name(sc, p.er) + "=" + name(sc, p.eh);
  }
  for (const entity* e : unmapped) {
    out += " -" + name(sc, e);
  }
  return out;
}

}  // namespace

std::string render_result(const scene& sc, const frontier_choice_map& frontiers) {
  std::string out = render_choices(sc, frontiers);
  for (const segment& seg : sc.segments) {
    if (!seg.added_pairs.empty() || !seg.unmapped_entities.empty()) {
      out += " | " + std::to_string(seg.start) + ":" +
             render_decisions(sc, seg.added_pairs, seg.unmapped_entities);
    }
  }
  return out;
}

std::string render_node(const scene& sc, const align_node& an) {
  std::ostringstream score;
  score << an.score;
  std::string out = score.str() + ":" + render_decisions(sc, an.added_pairs, an.unmapped_entities);
  std::string active;
  // Reference entities first: the set's own order depends on where the two
  // vectors lie in memory.
  for (const std::vector<entity>* side : {&sc.ref, &sc.hyp}) {
    for (const entity& e : *side) {
      if (an.active(&e)) {
        active += (active.empty() ? "" : ",") + name(sc, &e);
      }
    }
  }
  std::string pairs;
  for (const auto& [h, r] : an.current_pairs) {
    pairs += (pairs.empty() ? "" : " ") + name(sc, h) + ":" + name(sc, r);
  }
  return out + " {" + active + "} [" + pairs + "] " + render_choices(sc, an.frontiers);
}

frontier_choice_map run_align(scene& sc) {
  frontier_choice_map frontiers;
  align(sc.segments, frontiers, "ref.txt");
#ifndef NDEBUG
  EXPECT_EQ(0, align_node::live_nodes);
#endif
  return frontiers;
}

double result_cost(const scene& sc, const frontier_choice_map& frontiers) {
  double cost = 0;
  for (const segment& seg : sc.segments) {
    for (const segment::pairinfo& p : seg.added_pairs) {
      cost += p.error->cost;
    }
    for (const entity* e : seg.unmapped_entities) {
      if (e->hyp) {
        cost += e->miss_errors[0][0].cost;
      } else {
        const frontier_choice& f = frontiers.at(e);
        cost += e->miss_errors[f.sf][f.ef].cost;
      }
    }
  }
  return cost;
}

segment bare_segment(int start, int end) {
  segment seg;
  seg.start = start;
  seg.end = end;
  return seg;
}

namespace {

// A strictly increasing list of 1 to `most` values from [lo, hi].
std::vector<int> draw_candidates(std::mt19937& rng, int lo, int hi, int most) {
  int n = std::uniform_int_distribution<int>(1, most)(rng);
  std::set<int> values;
  for (int i = 0; i < n; i++) {
    values.insert(std::uniform_int_distribution<int>(lo, hi)(rng));
  }
  return std::vector<int>(values.begin(), values.end());
}

}  // namespace

void random_scene(scene& sc, std::mt19937& rng, const random_shape& shape) {
  auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int nref = draw(0, shape.nref_max);
  int nhyp = draw(0, shape.nhyp_max);
  for (int i = 0; i < nref; i++) {
    std::vector<int> starts = draw_candidates(rng, 0, shape.positions - 1, shape.candidates);
    std::vector<int> ends =
        draw_candidates(rng, starts.front() + 1, shape.positions, shape.candidates);
    while (starts.back() >= ends.back()) {
      starts.pop_back();
    }
    add_ref(sc, starts, ends, draw(0, shape.depths - 1));
  }
  for (int i = 0; i < nhyp; i++) {
    int s = draw(0, shape.positions - 1);
    int e = draw(s + 1, shape.positions);
    add_hyp(sc, s, e, draw(0, shape.depths - 1));
  }
  if (shape.links && nref > 1) {
    for (int i = 0; i < nref; i++) {
      for (entity** link : {&sc.ref[i].parent, &sc.ref[i].left_constraint}) {
        int j = draw(0, 2 * nref - 1);
        if (j < nref && j != i) {
          *link = &sc.ref[j];
        }
      }
    }
  }
  cut(sc);
  auto cost = [&]() { return static_cast<double>(draw(0, shape.cost_values - 1)); };
  set_costs(
      sc, [&](const entity&, int, int) { return cost(); },
      [&](const entity&, int, int, const entity&) { return cost(); });
}

void node_test::TearDown() {
  for (align_node* n : made) {
    n->unref();
  }
#ifndef NDEBUG
  EXPECT_EQ(0, align_node::live_nodes);
#endif
}

align_node* node_test::pan(int sid, std::vector<std::pair<int, frontier_choice>> choices) {
  align_node* root = new align_node();
  made.push_back(root);
  if (sid == 0) {
    return root;
  }
  align_node* n = new align_node(root, &sc.segments[sid - 1]);
  made.push_back(n);
  for (const auto& [r, f] : choices) {
    n->add_frontier(&sc.ref[r], f);
  }
  return n;
}
