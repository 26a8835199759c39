#include "reports/summary.h"

#include <utility>

#include "base/escape.h"

double harmonic_mean(double precision, double recall) {
  const double sum = precision + recall;
  return sum == 0 ? 0 : 2 * precision * recall / sum;
}

summary_report summarize(const outcome_counts& c, const name_table& types) {
  summary_report s;
  s.reference_entities = c.reference_entities;
  s.hypothesis_entities = c.hypothesis_entities;
  s.slot_error_sum = c.slot_error_sum;
  s.corrects = c.corrects;
  s.insertions = c.insertions;
  s.deletions = c.deletions;
  s.substitutions = c.substitutions;
  s.total_errors = c.total_errors;

  // Without reference entities these divisions give inf or nan, which the
  // report renders as such; it still completes.
  const double r = c.reference_entities;
  s.slot_error_rate_pct = 100 * c.slot_error_sum / r;
  s.corrects_pct = c.corrects * 100.0 / r;
  s.insertions_pct = c.insertions * 100.0 / r;
  s.deletions_pct = c.deletions * 100.0 / r;
  s.substitutions_pct = c.substitutions * 100.0 / r;
  s.total_errors_pct = c.total_errors * 100.0 / r;
  s.precision_defined = c.hypothesis_entities != 0;
  s.precision_pct = s.precision_defined ? c.corrects * 100.0 / c.hypothesis_entities : 0;
  s.recall_pct = c.corrects * 100.0 / r;
  s.f_measure_pct =
      2.0 * c.corrects * 100 / (static_cast<double>(c.reference_entities) + c.hypothesis_entities);

  for (int i = 0; i < types.size(); i++) {
    const size_t t = static_cast<size_t>(i);
    const int h = c.hyp_per_type[t];
    const int rc = c.ref_per_type[t];
    const int k = c.correct_per_type[t];
    const int kh = c.correct_hyp_per_type[t];
    if (h == 0 && rc == 0) {
      continue;
    }
    const double cc = 100.0 * k;
    type_row row{types.name(i), h, rc, k, kh, h ? 100.0 * kh / h : 0, rc ? cc / rc : 0, 0};
    // h + rc is not 0 here, and the sum of two counts is taken without overflow.
    row.f_measure_pct = row.corrects_differ() ? harmonic_mean(row.precision_pct, row.recall_pct)
                                              : 2 * cc / (static_cast<double>(h) + rc);
    s.rows.push_back(std::move(row));
  }
  return s;
}

std::vector<std::string> types_without_entities(const outcome_counts& counts,
                                                const name_table& types,
                                                const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& name : names) {
    const int id = types.find(name);
    const size_t i = static_cast<size_t>(id);
    if (id < 0 || i >= counts.ref_per_type.size() ||
        counts.ref_per_type[i] + counts.hyp_per_type[i] == 0) {
      out.push_back(name);
    }
  }
  return out;
}

void warn_types_without_entities(FILE* err, const outcome_counts& counts, const name_table& types,
                                 const std::vector<std::string>& names) {
  for (const std::string& name : types_without_entities(counts, types, names)) {
    fprintf(err, "Warning: --only-types names %s, of which no document holds an entity.\n",
            shown_name(name).c_str());
  }
}
