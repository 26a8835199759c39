// The figures of one document pair of a corpus.
#pragma once

#include <string>
#include <vector>

#include "reports/outcomes.h"

// One type's entities in one document, for a per-type comparison.
struct type_tally {
  std::string type;
  int reference = 0;
  int hypothesis = 0;
  int correct = 0;             // counted for the reference entity's type
  int correct_hypothesis = 0;  // counted for the hypothesis entity's type
};

struct document_row {
  std::string reference;
  std::string hypothesis;
  int reference_entities = 0;
  int hypothesis_entities = 0;
  int corrects = 0;
  int insertions = 0;
  int deletions = 0;
  int substitutions = 0;
  double slot_error_sum = 0;
  std::vector<type_tally> types;  // only when a row is asked for with its types
};

// With `types` (the names the counts' type ids index), the row keeps a tally
// of each type the document holds on either side.
document_row row_of(const std::string& reference, const std::string& hypothesis,
                    const outcome_counts& counts, const std::vector<std::string>* types = nullptr);
