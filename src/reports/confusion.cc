#include "reports/confusion.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "reports/outcomes.h"

namespace {

// Sorts no_type (-1) after every type id.
uint32_t order_key(int32_t type) {
  return static_cast<uint32_t>(type);
}

}  // namespace

confusion_report count_confusions(const evaluated_pair& pair) {
  // Sparse: the cells in use are at most the outcomes, and far fewer than
  // the square of a large tag set.
  std::unordered_map<uint64_t, std::pair<int, int>> counts;  // outcomes, corrects
  for_each_outcome(pair, [&](const outcome& o) {
    const uint64_t key = uint64_t{order_key(o.ref ? o.ref->tagid : no_type)} << 32 |
                         order_key(o.hyp ? o.hyp->tagid : no_type);
    std::pair<int, int>& cell = counts[key];
    cell.first++;
    cell.second += o.kind == outcome_kind::correct;
  });
  confusion_report report;
  report.cells.reserve(counts.size());
  for (const auto& [key, count] : counts) {
    report.cells.push_back(confusion_cell{static_cast<int32_t>(key >> 32),
                                          static_cast<int32_t>(key & 0xffffffffu), count.first,
                                          count.second});
  }
  std::sort(report.cells.begin(), report.cells.end(),
            [](const confusion_cell& a, const confusion_cell& b) {
              return order_key(a.ref_type) != order_key(b.ref_type)
                         ? order_key(a.ref_type) < order_key(b.ref_type)
                         : order_key(a.hyp_type) < order_key(b.hyp_type);
            });
  return report;
}
