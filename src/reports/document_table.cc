#include "reports/document_table.h"

document_row row_of(const std::string& reference, const std::string& hypothesis,
                    const outcome_counts& c, const std::vector<std::string>* types) {
  document_row row{
      reference,    hypothesis,  c.reference_entities, c.hypothesis_entities, c.corrects,
      c.insertions, c.deletions, c.substitutions,      c.slot_error_sum,      {}};
  for (size_t t = 0; types && t < types->size(); t++) {
    // A type id past a counter's end has no entity on that side.
    auto at = [t](const std::vector<int>& v) { return t < v.size() ? v[t] : 0; };
    if (at(c.ref_per_type) != 0 || at(c.hyp_per_type) != 0) {
      row.types.push_back(type_tally{(*types)[t], at(c.ref_per_type), at(c.hyp_per_type),
                                     at(c.correct_per_type), at(c.correct_hyp_per_type)});
    }
  }
  return row;
}
