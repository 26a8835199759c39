// A corpus's results summed over its document pairs: the counts every
// report is computed from and the confusion cells, with entity types matched
// by name (each pair has its own vocabulary), in order of first appearance.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/vocabulary.h"
#include "reports/confusion.h"
#include "reports/outcomes.h"

// What one pair contributes: its counts and confusion cells by the type ids
// of `types`.
struct pair_counts {
  outcome_counts counts;
  std::vector<std::string> types;
  confusion_report confusion;
};

class pooled_results {
 public:
  // Adds a pair's figures. Pairs must come in corpus order: sums of costs,
  // and the order of types, follow it.
  void add(const pair_counts& pair);
  // Types known before any pair, in the order the reports give them
  // (before those the pairs bring).
  void declare_types(const std::vector<std::string>& names);

  const name_table& types() const { return types_; }
  const outcome_counts& counts() const { return counts_; }
  confusion_report confusion() const;

 private:
  name_table types_;
  outcome_counts counts_;
  // Outcomes and corrects, keyed as confusion orders them.
  std::map<std::pair<uint32_t, uint32_t>, std::pair<int, int>> cells_;
};
