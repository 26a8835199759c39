// The values of an evaluation's reports, as the library returns them and
// as the program's own printers read them. Plain structs; nothing here
// depends on the rest of the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

// A type's row of the summary. Precision counts the corrects whose
// hypothesis entity has the type, recall those whose reference entity has
// it: the two differ only where the description calls a pairing of two
// types correct. Percentages, as the text report shows them.
struct type_row {
  std::string type;
  int hypothesis_count;
  int reference_count;
  int correct;                // of the reference entities of the type
  int correct_of_hypothesis;  // of its hypothesis entities
  double precision_pct;       // 0 when the type has no hypothesis entity
  double recall_pct;          // 0 when it has no reference entity
  double f_measure_pct;

  bool corrects_differ() const { return correct != correct_of_hypothesis; }
};

// The summary: slot error rate, counts, precision, recall and F-measure,
// overall and per entity type.
struct summary_report {
  int reference_entities;
  int hypothesis_entities;
  double slot_error_sum;
  // Divided by the reference entities: inf or nan when there are none.
  double slot_error_rate_pct;
  int corrects, insertions, deletions, substitutions, total_errors;
  double corrects_pct, insertions_pct, deletions_pct, substitutions_pct, total_errors_pct;
  bool precision_defined;  // false without hypothesis entities
  double precision_pct;    // 0 when not defined
  double recall_pct;
  double f_measure_pct;
  std::vector<type_row> rows;  // types seen on either side, in type order
};

// Inter-annotator agreement: S, Scott's pi, Cohen's kappa and F-measure,
// with the reference and the hypothesis taken as two annotators.
struct agreement_report {
  int total_items;            // items compared
  int corrects;               // items on which both annotators agree
  double void_void_corrects;  // items added to reach the expected count, never negative
  int type_count;
  // With no item, no type or no entity these are inf or nan.
  double s;
  double pi;
  double kappa;
  double f_measure;
};

// One cell of the confusion table: how many outcomes paired a reference
// entity of one type with a hypothesis entity of another (no type: an
// insertion's reference side, a deletion's hypothesis side).
struct confusion_entry {
  std::optional<std::string> reference_type;
  std::optional<std::string> hypothesis_type;
  int count;
};

// An entity as the outcomes show it: between the boundaries the alignment
// chose (or its outer ones), as byte offsets in the reference's bare text
// (its text without tags), which both sides share.
struct entity_value {
  std::string type;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;
  int32_t start;  // first byte
  int32_t end;    // past the last byte
  int32_t line;   // of the opening tag, in the entity's own document
};

enum class outcome_kind { insertion, deletion, substitution, correct };

struct outcome_value {
  outcome_kind kind;
  double cost;
  std::vector<std::string> errors;         // the error names charged; none for a correct
  std::optional<entity_value> reference;   // none for an insertion
  std::optional<entity_value> hypothesis;  // none for a deletion
};

// A 95% confidence interval, as fractions.
struct interval {
  bool defined = false;  // false when no resample gives the figure a value
  double low = 0;
  double high = 0;
};

// A corpus's figures over documents resampled with replacement: the middle
// 95% of each figure's values.
struct bootstrap_report {
  unsigned resamples = 0;
  uint64_t seed = 0;
  interval slot_error_rate;
  interval precision;
  interval recall;
  interval f_measure;
};

// One figure of two systems: system 2's value less system 1's on the whole
// corpus, its 95% interval over paired resamples, and the share of the
// resamples (where both have a value) on which system 2 does better.
struct difference {
  double estimate = 0;  // NaN when either system's figure has no value
  interval range;
  double share_better = 0;  // NaN when no resample gives both a value
};

// One type's F-measure in each system over the whole corpus (NaN where the
// system and the references hold no entity of the type) and the difference.
struct type_difference {
  std::string type;
  double one = 0;
  double two = 0;
  difference f_measure;
};

struct comparison_report {
  unsigned resamples = 0;
  uint64_t seed = 0;
  difference f_measure;        // higher is better
  difference slot_error_rate;  // lower is better
  // When asked for: each type seen in either system, by name, drawn on the
  // same resamples as the figures above.
  std::vector<type_difference> per_type;
};

}  // namespace orvane
