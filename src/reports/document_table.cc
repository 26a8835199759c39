#include "reports/document_table.h"

document_row row_of(const std::string& reference, const std::string& hypothesis,
                    const outcome_counts& c) {
  return document_row{reference,       hypothesis,   c.reference_entities, c.hypothesis_entities,
                      c.corrects,      c.insertions, c.deletions,          c.substitutions,
                      c.slot_error_sum};
}
