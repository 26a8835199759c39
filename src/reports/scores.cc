// Counts of the alignment outcomes: corrects, insertions, deletions,
// substitutions, the slot error sum and the per-type counters.
#include <cassert>

#include "description/vocabulary.h"
#include "reports/outcome.h"
#include "reports/reports.h"

namespace {

void count_type(std::vector<int>& counter, int tagid) {
  assert(tagid >= 0 && static_cast<size_t>(tagid) < counter.size());
  counter[tagid]++;
}

}  // namespace

void calc_scores(const std::vector<segment>& segments, int& tc, std::vector<int>& tag_hypcount,
                 std::vector<int>& tag_refcount, std::vector<int>& tag_correct, double& ser,
                 int& count_insert, int& count_delete, int& count_subst, int& count_correct,
                 int& count_total) {
  tc = static_cast<int>(tag_names.size());
  tag_hypcount.resize(tc);
  tag_refcount.resize(tc);
  tag_correct.resize(tc);
  ser = 0;
  count_insert = 0;
  count_delete = 0;
  count_subst = 0;
  count_correct = 0;

  for (const segment& seg : segments) {
    for (const entity* e : seg.unmapped_entities) {
      if (e->hyp) {
        count_insert++;
        count_type(tag_hypcount, e->tagid);
      } else {
        count_delete++;
        count_type(tag_refcount, e->tagid);
      }
      ser += miss_record(*e).cost;
    }
    for (const segment::pairinfo& p : seg.added_pairs) {
      count_type(tag_refcount, p.er->tagid);
      count_type(tag_hypcount, p.eh->tagid);
      if (is_correct(*p.error)) {
        count_correct++;
        count_type(tag_correct, p.er->tagid);
      } else {
        count_subst++;
      }
      ser += p.error->cost;
    }
  }
  count_total = count_delete + count_insert + count_subst;
}

outcome_counts count_outcomes(const std::vector<segment>& segments) {
  outcome_counts c;
  calc_scores(segments, c.tc, c.tag_hypcount, c.tag_refcount, c.tag_correct, c.ser, c.count_insert,
              c.count_delete, c.count_subst, c.count_correct, c.count_total);
  return c;
}
