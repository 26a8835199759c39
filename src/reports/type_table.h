// The per-type table as papers print it: precision, recall, F1, support
// (the reference's entities), the hypothesis's entities and the corrects of
// each type in name order, then the micro, macro and weighted averages.
// Figures are fractions.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "model/vocabulary.h"
#include "reports/outcomes.h"

struct table_row {
  std::string name;  // a type's, or an average's
  // None where the figure divides by zero (an average over no type, a
  // precision without hypothesis entities).
  std::optional<double> precision, recall, f_measure;
  int support = 0;  // reference entities
  int hypothesis = 0;
  int correct = 0;
};

struct type_table {
  std::vector<table_row> types;  // the types seen on either side, by name
  table_row micro;               // the overall figures
  // The types' mean, as seqeval's classification_report takes it: a type
  // without reference entities enters with a recall and an F1 of 0 (and a
  // type without hypothesis entities with a precision of 0).
  table_row macro;
  table_row weighted;  // the types' figures weighted by their support
};

type_table make_type_table(const outcome_counts& counts, const name_table& types);

void print_type_table(FILE* out, const type_table& table);
