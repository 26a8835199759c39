// Test-only builders, renderings and checks for the alignment tests.
#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "description/cost_queries.h"
#include "entities/segments.h"
#include "support/entity_scene.h"

int add_ref(scene& sc, const std::vector<int32_t>& starts, const std::vector<int32_t>& ends,
            int depth) {
  return append_entity(sc.ref, 0, starts, ends, false, depth);
}

int add_hyp(scene& sc, int32_t start, int32_t end, int depth) {
  return append_entity(sc.hyp, 0, {start}, {end}, true, depth);
}

void link(scene& sc, int r, int parent, int left_constraint) {
  // The links are all or nothing: once one entity has some, every entity has an entry.
  sc.ref.links.resize(sc.ref.size());
  sc.ref.links[static_cast<size_t>(r)] = entity_links{parent, left_constraint};
}

void cut(scene& sc) {
  sc.segs = segment_set();
  build_segments(sc.segs, sc.ref, sc.hyp);
}

namespace {

costed costed_of(const entity_set& set, const entity& e) {
  return costed{e.hyp, static_cast<int>(&e - set.items.data()), e.depth, set.starts(e),
                set.ends(e)};
}

cost_record asked_cost(double cost) {
  cost_record record;
  record.cost = cost;
  record.errors = 0;
  return record;
}

}  // namespace

void set_costs(scene& sc, const miss_fn& miss, const subst_fn& subst) {
  for (entity_set* side : {&sc.ref, &sc.hyp}) {
    const entity_set& set = *side;
    for_each_miss_query(*side, [&](const entity& e, int sf, int ef, cost_record& record) {
      record = asked_cost(miss(costed_of(set, e), sf, ef));
    });
  }
  for_each_substitution_query(
      sc.ref, sc.hyp, sc.segs, sc.costs,
      [&](const entity& r, int sf, int ef, const entity& h, cost_record& record) {
        record = asked_cost(subst(costed_of(sc.ref, r), sf, ef, costed_of(sc.hyp, h)));
      });
}

void set_flat_costs(scene& sc, double miss_ref, double miss_hyp, double subst) {
  set_costs(
      sc, [&](const costed& e, int, int) { return e.hyp ? miss_hyp : miss_ref; },
      [&](const costed&, int, int, const costed&) { return subst; });
}

std::string ref_name(int r) {
  return "r" + std::to_string(r);
}

std::string hyp_name(int h) {
  return "h" + std::to_string(h);
}

std::string id_name(int32_t id) {
  return id >= 0 ? ref_name(id) : hyp_name(-1 - id);
}

std::string render_result(const scene& sc, const alignment_result& result) {
  std::string out;
  for (size_t r = 0; r < result.chosen.size(); r++) {
    const frontier_choice& f = result.chosen[r];
    if (f.sf >= 0) {
      out += (out.empty() ? "" : " ") + ref_name(static_cast<int>(r)) + "(" + std::to_string(f.sf) +
             "," + std::to_string(f.ef) + ")";
    }
  }
  // Both lists are by segment: walk them together.
  size_t p = 0, u = 0;
  while (p < result.pairs.size() || u < result.unmapped.size()) {
    uint32_t seg = UINT32_MAX;
    if (p < result.pairs.size()) {
      seg = result.pairs[p].seg;
    }
    if (u < result.unmapped.size()) {
      seg = std::min(seg, result.unmapped[u].seg);
    }
    out += " | " + std::to_string(sc.segs.frontiers[seg]) + ":";
    for (; p < result.pairs.size() && result.pairs[p].seg == seg; p++) {
      out += " " + ref_name(result.pairs[p].ref) + "=" + hyp_name(result.pairs[p].hyp);
    }
    for (; u < result.unmapped.size() && result.unmapped[u].seg == seg; u++) {
      out += " -" + id_name(result.unmapped[u].id);
    }
  }
  return out;
}

alignment_result run_align(const scene& sc, const search_limits& limits) {
  alignment_result result;
  align(sc.ref, sc.hyp, sc.segs, sc.costs, result, "ref.txt", limits);
  return result;
}

search_limits at_most(size_t partial_solutions) {
  search_limits limits;
  limits.max_partial_solutions = partial_solutions;
  limits.max_alternatives = 4 * partial_solutions;
  return limits;
}

search_limits keeping_at_most(size_t partial_solutions) {
  search_limits limits;
  limits.max_partial_solutions = partial_solutions;
  limits.max_alternatives = SIZE_MAX;
  return limits;
}

double result_cost(const scene& sc, const alignment_result& result) {
  double cost = 0;
  for (const pairing& p : result.pairs) {
    cost += sc.costs.records[p.record].cost;
  }
  for (const unmapped_entity& u : result.unmapped) {
    if (u.id < 0) {
      cost += sc.hyp.miss_record(sc.hyp[static_cast<size_t>(-1 - u.id)], 0, 0).cost;
    } else {
      const frontier_choice& f = result.chosen[static_cast<size_t>(u.id)];
      cost += sc.ref.miss_record(sc.ref[static_cast<size_t>(u.id)], f.sf, f.ef).cost;
    }
  }
  return cost;
}

int segment_at(const scene& sc, int32_t pos) {
  const std::vector<int32_t>& f = sc.segs.frontiers;
  auto it = std::lower_bound(f.begin(), f.end(), pos);
  if (it == f.end() || *it != pos || it + 1 == f.end()) {
    return -1;
  }
  return static_cast<int>(it - f.begin());
}

namespace {

// The order of decisions within a segment: the reference entities that
// start there, by index, then the hypothesis entities, by index.
std::pair<int, int> decision_key(int32_t id) {
  return id >= 0 ? std::make_pair(0, id) : std::make_pair(1, -1 - id);
}

}  // namespace

void check_result_shape(const scene& sc, const alignment_result& result) {
  const size_t nref = sc.ref.size(), nhyp = sc.hyp.size();
  ASSERT_EQ(nref, result.chosen.size());
  std::vector<int32_t> rs(nref), rt(nref);
  for (size_t r = 0; r < nref; r++) {
    const entity& e = sc.ref[r];
    const frontier_choice& f = result.chosen[r];
    ASSERT_TRUE(f.sf >= 0 && f.sf < static_cast<int>(e.nstarts)) << ref_name(int(r));
    ASSERT_TRUE(f.ef >= 0 && f.ef < static_cast<int>(e.nends)) << ref_name(int(r));
    rs[r] = sc.ref.start(e, f.sf);
    rt[r] = sc.ref.end(e, f.ef);
    EXPECT_LT(rs[r], rt[r]) << ref_name(int(r));
  }
  auto hs = [&](int32_t h) { return sc.hyp.first_start(sc.hyp[static_cast<size_t>(h)]); };
  auto he = [&](int32_t h) { return sc.hyp.last_end(sc.hyp[static_cast<size_t>(h)]); };

  std::vector<int> ref_partner(nref, -1), hyp_partner(nhyp, -1);
  for (size_t i = 0; i < result.pairs.size(); i++) {
    const pairing& p = result.pairs[i];
    ASSERT_TRUE(p.ref >= 0 && size_t(p.ref) < nref && p.hyp >= 0 && size_t(p.hyp) < nhyp);
    const std::string label = ref_name(p.ref) + "=" + hyp_name(p.hyp);
    EXPECT_EQ(-1, ref_partner[size_t(p.ref)]) << label;
    EXPECT_EQ(-1, hyp_partner[size_t(p.hyp)]) << label;
    ref_partner[size_t(p.ref)] = p.hyp;
    hyp_partner[size_t(p.hyp)] = p.ref;
    // Made where the later of the two starts, from the reference side on a tie.
    EXPECT_EQ(segment_at(sc, std::max(rs[size_t(p.ref)], hs(p.hyp))), int(p.seg)) << label;
    EXPECT_TRUE(hs(p.hyp) < rt[size_t(p.ref)] && he(p.hyp) > rs[size_t(p.ref)]) << label;
    const substitution_costs::partner* partner = sc.costs.find(p.ref, p.hyp);
    ASSERT_NE(nullptr, partner) << label;
    const frontier_choice& f = result.chosen[size_t(p.ref)];
    EXPECT_EQ(partner->records + uint32_t(f.sf) * sc.ref[size_t(p.ref)].nends + uint32_t(f.ef),
              p.record)
        << label;
    ASSERT_LT(p.record, sc.costs.records.size());
    EXPECT_TRUE(sc.costs.records[p.record].asked()) << label;
    if (i > 0) {
      const pairing& q = result.pairs[i - 1];
      EXPECT_LE(q.seg, p.seg);
      if (q.seg == p.seg) {
        auto key = [&](const pairing& x) {
          return rs[size_t(x.ref)] >= hs(x.hyp) ? decision_key(x.ref) : decision_key(-1 - x.hyp);
        };
        EXPECT_LT(key(q), key(p)) << label;
      }
    }
  }

  // Before the clean-up, an entity is listed unmapped where it started unless
  // it was paired then.
  std::vector<int> listed(nref + nhyp, 0);
  for (size_t i = 0; i < result.unmapped.size(); i++) {
    const unmapped_entity& u = result.unmapped[i];
    ASSERT_TRUE(u.id >= 0 ? size_t(u.id) < nref : size_t(-1 - u.id) < nhyp);
    const std::string label = "-" + id_name(u.id);
    const int32_t start = u.id >= 0 ? rs[size_t(u.id)] : hs(-1 - u.id);
    EXPECT_EQ(segment_at(sc, start), int(u.seg)) << label;
    listed[u.id >= 0 ? size_t(u.id) : nref + size_t(-1 - u.id)]++;
    if (i > 0) {
      const unmapped_entity& v = result.unmapped[i - 1];
      EXPECT_LE(v.seg, u.seg);
      if (v.seg == u.seg) {
        EXPECT_LT(decision_key(v.id), decision_key(u.id)) << label;
      }
    }
  }
  for (size_t r = 0; r < nref; r++) {
    const int h = ref_partner[r];
    EXPECT_EQ(h < 0 || hs(h) > rs[r] ? 1 : 0, listed[r]) << ref_name(int(r));
  }
  for (size_t h = 0; h < nhyp; h++) {
    const int r = hyp_partner[h];
    EXPECT_EQ(r < 0 || rs[size_t(r)] > hs(int32_t(h)) ? 1 : 0, listed[nref + h])
        << hyp_name(int(h));
  }

  // After it, every entity is in one pairing or listed once, in the same order.
  alignment_result clean = result;
  cleanup_unmapped(clean, nref, nhyp);
  EXPECT_EQ(result.pairs.size(), clean.pairs.size());
  std::vector<unmapped_entity> kept;
  for (const unmapped_entity& u : result.unmapped) {
    if (u.id >= 0 ? ref_partner[size_t(u.id)] < 0 : hyp_partner[size_t(-1 - u.id)] < 0) {
      kept.push_back(u);
    }
  }
  ASSERT_EQ(kept.size(), clean.unmapped.size());
  for (size_t i = 0; i < kept.size(); i++) {
    EXPECT_EQ(kept[i].seg, clean.unmapped[i].seg);
    EXPECT_EQ(kept[i].id, clean.unmapped[i].id);
  }
  EXPECT_EQ(nref + nhyp, 2 * clean.pairs.size() + clean.unmapped.size());
}

bool same_result(const alignment_result& a, const alignment_result& b) {
  if (a.pairs.size() != b.pairs.size() || a.unmapped.size() != b.unmapped.size() ||
      a.chosen != b.chosen) {
    return false;
  }
  for (size_t i = 0; i < a.pairs.size(); i++) {
    const pairing &p = a.pairs[i], &q = b.pairs[i];
    if (p.seg != q.seg || p.ref != q.ref || p.hyp != q.hyp || p.record != q.record) {
      return false;
    }
  }
  for (size_t i = 0; i < a.unmapped.size(); i++) {
    if (a.unmapped[i].seg != b.unmapped[i].seg || a.unmapped[i].id != b.unmapped[i].id) {
      return false;
    }
  }
  return true;
}

namespace {

// A strictly increasing list of 1 to `most` values from [lo, hi].
std::vector<int32_t> draw_candidates(std::mt19937& rng, int lo, int hi, int most) {
  int n = std::uniform_int_distribution<int>(1, most)(rng);
  std::set<int32_t> values;
  for (int i = 0; i < n; i++) {
    values.insert(std::uniform_int_distribution<int>(lo, hi)(rng));
  }
  return std::vector<int32_t>(values.begin(), values.end());
}

}  // namespace

void random_scene(scene& sc, std::mt19937& rng, const random_shape& shape) {
  auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int nref = draw(0, shape.nref_max);
  int nhyp = draw(0, shape.nhyp_max);
  for (int i = 0; i < nref; i++) {
    std::vector<int32_t> starts = draw_candidates(rng, 0, shape.positions - 1, shape.candidates);
    std::vector<int32_t> ends =
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
      int drawn[2];
      for (int& j : drawn) {
        j = draw(0, 2 * nref - 1);
        if (j >= nref || j == i) {
          j = -1;
        }
      }
      if (drawn[0] >= 0 || drawn[1] >= 0) {
        link(sc, i, drawn[0], drawn[1]);
      }
    }
  }
  cut(sc);
  auto cost = [&]() {
    return (draw(0, shape.cost_values - 1) - shape.cost_offset) * shape.cost_unit;
  };
  set_costs(
      sc, [&](const costed&, int, int) { return cost(); },
      [&](const costed&, int, int, const costed&) { return cost(); });
}
