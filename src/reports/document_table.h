// The figures of one document pair of a corpus.
#pragma once

#include <string>
#include <vector>

#include "reports/outcomes.h"

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
};

document_row row_of(const std::string& reference, const std::string& hypothesis,
                    const outcome_counts& counts);
