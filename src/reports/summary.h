// The summary: slot error rate, counts, precision, recall and F-measure,
// overall and per entity type, as values. Percentages are computed as the
// text report shows them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "model/vocabulary.h"
#include "orvane/values.h"
#include "reports/outcomes.h"

using orvane::summary_report;
using orvane::type_row;

// The harmonic mean of a precision and a recall (on any one scale), 0 when
// both are 0: a type's F-measure where its two correct counts differ. Where
// they agree, the F-measure is computed from the counts, as it always was.
double harmonic_mean(double precision, double recall);

summary_report summarize(const outcome_counts& counts, const name_table& types);

// Those of `names` of which neither side of `counts` holds an entity.
std::vector<std::string> types_without_entities(const outcome_counts& counts,
                                                const name_table& types,
                                                const std::vector<std::string>& names);

// A warning for each of `names` (the types --only-types kept) of which no
// document holds an entity: a misspelt name scores nothing, silently.
void warn_types_without_entities(FILE* err, const outcome_counts& counts, const name_table& types,
                                 const std::vector<std::string>& names);
