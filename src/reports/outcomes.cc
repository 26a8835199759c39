#include "reports/outcomes.h"

#include <algorithm>
#include <cassert>

namespace {

void count_type(std::vector<int>& counter, int tagid) {
  assert(tagid >= 0 && static_cast<size_t>(tagid) < counter.size());
  counter[static_cast<size_t>(tagid)]++;
}

}  // namespace

outcome_counts count_outcomes(const evaluated_pair& pair) {
  const int type_count = pair.vocab.types.size();
  outcome_counts c;
  c.reference_entities = pair.reference_count();
  c.tokens = pair.tokens;
  c.equal_tags = pair.equal_tags;
  c.hypothesis_entities = pair.hypothesis_count();
  c.hyp_per_type.assign(static_cast<size_t>(type_count), 0);
  c.ref_per_type.assign(static_cast<size_t>(type_count), 0);
  c.correct_per_type.assign(static_cast<size_t>(type_count), 0);
  c.correct_hyp_per_type.assign(static_cast<size_t>(type_count), 0);
  for_each_outcome(pair, [&c](const outcome& o) {
    switch (o.kind) {
      case outcome_kind::insertion:
        c.insertions++;
        break;
      case outcome_kind::deletion:
        c.deletions++;
        break;
      case outcome_kind::substitution:
        c.substitutions++;
        c.credits += std::clamp(1.0 - o.record->cost, 0.0, 1.0);
        break;
      case outcome_kind::correct:
        c.corrects++;
        c.credits += 1;
        count_type(c.correct_per_type, o.ref->tagid);
        count_type(c.correct_hyp_per_type, o.hyp->tagid);
        break;
    }
    if (o.ref) {
      count_type(c.ref_per_type, o.ref->tagid);
    }
    if (o.hyp) {
      count_type(c.hyp_per_type, o.hyp->tagid);
    }
    c.slot_error_sum += o.record->cost;
  });
  c.total_errors = c.deletions + c.insertions + c.substitutions;
  return c;
}
