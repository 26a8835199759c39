#include "reports/pooled.h"

namespace {

void add_per_type(std::vector<int>& pooled, const std::vector<int>& pair,
                  const std::vector<int>& id_of) {
  if (pooled.size() < id_of.size()) {
    pooled.resize(id_of.size());
  }
  for (size_t t = 0; t < pair.size(); t++) {
    pooled[static_cast<size_t>(id_of[t])] += pair[t];
  }
}

}  // namespace

void pooled_results::add(const pair_counts& pair) {
  std::vector<int> id_of(pair.types.size());
  for (size_t t = 0; t < pair.types.size(); t++) {
    id_of[t] = types_.get(pair.types[t]);
  }
  const outcome_counts& c = pair.counts;
  counts_.reference_entities += c.reference_entities;
  counts_.hypothesis_entities += c.hypothesis_entities;
  counts_.corrects += c.corrects;
  counts_.insertions += c.insertions;
  counts_.deletions += c.deletions;
  counts_.substitutions += c.substitutions;
  counts_.total_errors += c.total_errors;
  counts_.slot_error_sum += c.slot_error_sum;
  counts_.credits += c.credits;
  counts_.tokens += c.tokens;
  counts_.equal_tags += c.equal_tags;
  counts_.overlapping_misses += c.overlapping_misses;
  const size_t n = static_cast<size_t>(types_.size());
  for (std::vector<int>* v : {&counts_.hyp_per_type, &counts_.ref_per_type,
                              &counts_.correct_per_type, &counts_.correct_hyp_per_type}) {
    v->resize(n);
  }
  add_per_type(counts_.hyp_per_type, c.hyp_per_type, id_of);
  add_per_type(counts_.ref_per_type, c.ref_per_type, id_of);
  add_per_type(counts_.correct_per_type, c.correct_per_type, id_of);
  add_per_type(counts_.correct_hyp_per_type, c.correct_hyp_per_type, id_of);
  // no_type (-1) sorts last as an unsigned key, as in a pair's own cells.
  auto key = [&](int32_t t) {
    return static_cast<uint32_t>(t == no_type ? no_type : id_of[static_cast<size_t>(t)]);
  };
  for (const confusion_cell& cell : pair.confusion.cells) {
    std::pair<int, int>& pooled = cells_[{key(cell.ref_type), key(cell.hyp_type)}];
    pooled.first += cell.count;
    pooled.second += cell.correct;
  }
}

void pooled_results::declare_types(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    types_.get(name);
  }
  // The reports index the counters by every type, pairs or none.
  const size_t n = static_cast<size_t>(types_.size());
  for (std::vector<int>* v : {&counts_.hyp_per_type, &counts_.ref_per_type,
                              &counts_.correct_per_type, &counts_.correct_hyp_per_type}) {
    v->resize(n);
  }
}

confusion_report pooled_results::confusion() const {
  confusion_report report;
  for (const auto& [key, count] : cells_) {
    report.cells.push_back(confusion_cell{static_cast<int32_t>(key.first),
                                          static_cast<int32_t>(key.second), count.first,
                                          count.second});
  }
  return report;
}
