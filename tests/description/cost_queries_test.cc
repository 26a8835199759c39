// Which substitution costs are asked, in which order, and where each answer
// goes: the rule alone, without a description.
#include "description/cost_queries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "description/cost_fixture.h"
#include "entities/segments.h"

namespace {

struct candidates {
  std::vector<int32_t> starts, ends;
};

struct query_case {
  const char* what;
  std::vector<candidates> refs, hyps;
  // Each query as "h<hyp>:r<ref>.<sf>.<ef>", in order; then each reference
  // entity's partners.
  const char* queries;
  const char* partners;
};

const query_case query_cases[] = {
    {"entities entering in the same segment, by hypothesis then reference",
     {{{0}, {10}}, {{0}, {6}}},
     {{{0}, {6}}, {{0}, {10}}},
     "h0:r0.0.0 h0:r1.0.0 h1:r0.0.0 h1:r1.0.0",
     "r0[h0 h1] r1[h0 h1]"},
    {"a new hypothesis entity meets every live reference entity, an earlier one only the new",
     {{{0}, {10}}, {{4}, {6}}},
     {{{4}, {8}}, {{0}, {10}}},
     "h1:r0.0.0 h0:r0.0.0 h0:r1.0.0 h1:r1.0.0",
     "r0[h0 h1] r1[h0 h1]"},
    {"a reference entity is listed at its last end: touching counts",
     {{{0}, {5}}},
     {{{5}, {9}}},
     "h0:r0.0.0",
     "r0[h0]"},
    {"a hypothesis entity is listed at its last end: a table, nothing to ask",
     {{{5}, {9}}},
     {{{0}, {5}}},
     "",
     "r0[h0]"},
    {"entities that share no segment have no table",
     {{{5}, {8}}, {{0}, {2}}},
     {{{0}, {3}}, {{9}, {12}}},
     "h0:r1.0.0",
     "r0[] r1[h0]"},
    {"a reference entity enters at its first start; partners by index",
     {{{0, 4}, {10}}, {{4}, {8}}},
     {{{4}, {10}}, {{0}, {3}}},
     "h1:r0.0.0 h0:r0.0.0 h0:r0.1.0 h0:r1.0.0",
     "r0[h0 h1] r1[h0]"},
    {"a later start candidate asks nothing again",
     {{{0, 6}, {10}}},
     {{{2}, {12}}, {{6}, {8}}},
     "h0:r0.0.0 h0:r0.1.0 h1:r0.0.0 h1:r0.1.0",
     "r0[h0 h1]"},
    {"nested candidates: several ends, spans before the hypothesis skipped",
     {{{0, 3}, {2, 5, 9}}, {{3}, {5}}},
     {{{3}, {5}}},
     "h0:r0.0.1 h0:r0.0.2 h0:r0.1.1 h0:r0.1.2 h0:r1.0.0",
     "r0[h0] r1[h0]"},
};

TEST(SubstitutionQueries, OrderAndTables) {
  for (const query_case& c : query_cases) {
    SCOPED_TRACE(c.what);
    entity_set ref, hyp;
    for (const candidates& k : c.refs) {
      add_entity(ref, 0, k.starts, k.ends, false);
    }
    for (const candidates& k : c.hyps) {
      add_entity(hyp, 0, k.starts, k.ends, true);
    }
    segment_set segs;
    build_segments(segs, ref, hyp);
    substitution_costs costs;
    std::string queries;
    struct asked {
      int32_t r, h;
      int sf, ef;
    };
    std::vector<asked> all;
    for_each_substitution_query(
        ref, hyp, segs, costs,
        [&](const entity& er, int sf, int ef, const entity& eh, cost_record& record) {
          const int32_t r = int32_t(&er - ref.items.data());
          const int32_t h = int32_t(&eh - hyp.items.data());
          queries += (queries.empty() ? "" : " ") + std::string("h") + std::to_string(h) + ":r" +
                     std::to_string(r) + "." + std::to_string(sf) + "." + std::to_string(ef);
          // Marks the record, to find it again in the tables.
          record.cost = double(all.size());
          all.push_back(asked{r, h, sf, ef});
        });
    EXPECT_EQ(c.queries, queries);

    std::string partners;
    ASSERT_EQ(ref.size() + 1, costs.ref_begin.size());
    for (size_t r = 0; r < ref.size(); r++) {
      partners += (r ? " r" : "r") + std::to_string(r) + "[";
      for (uint32_t p = costs.ref_begin[r]; p < costs.ref_begin[r + 1]; p++) {
        partners += (p > costs.ref_begin[r] ? " h" : "h") + std::to_string(costs.partners[p].hyp);
      }
      partners += "]";
    }
    EXPECT_EQ(c.partners, partners);

    // Every table has a row of records per start candidate of its reference
    // entity, and each answer lands at its candidates' place.
    size_t records = 0;
    for (size_t r = 0; r < ref.size(); r++) {
      records +=
          size_t(costs.ref_begin[r + 1] - costs.ref_begin[r]) * ref[r].nstarts * ref[r].nends;
    }
    EXPECT_EQ(records, costs.records.size());
    for (size_t i = 0; i < all.size(); i++) {
      const substitution_costs::partner* p = costs.find(all[i].r, all[i].h);
      ASSERT_NE(nullptr, p);
      const entity& er = ref[size_t(all[i].r)];
      EXPECT_EQ(
          double(i),
          costs.records[p->records + uint32_t(all[i].sf) * er.nends + uint32_t(all[i].ef)].cost);
    }
  }
}

TEST(SubstitutionQueries, NoEntitiesNoTables) {
  entity_set ref, hyp;
  segment_set segs;
  build_segments(segs, ref, hyp);
  substitution_costs costs;
  costs.records.resize(3);  // left over from an earlier pass
  int asked = 0;
  for_each_substitution_query(
      ref, hyp, segs, costs,
      [&](const entity&, int, int, const entity&, cost_record&) { asked++; });
  EXPECT_EQ(0, asked);
  EXPECT_EQ(std::vector<uint32_t>(1, 0), costs.ref_begin);
  EXPECT_TRUE(costs.partners.empty());
  EXPECT_TRUE(costs.records.empty());
}

}  // namespace
