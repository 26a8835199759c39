#include "reports/details.h"

#include "reports/entity_text.h"

namespace {

char letter_of(outcome_kind kind) {
  switch (kind) {
    case outcome_kind::insertion:
      return 'I';
    case outcome_kind::deletion:
      return 'D';
    case outcome_kind::substitution:
      return 'S';
    case outcome_kind::correct:
      return 'C';
  }
  return '?';
}

listed_entity describe_entity(const entity* e, const entity_set& set, const evaluated_pair& pair) {
  listed_entity le;
  if (e) {
    le.e = e;
    le.label = type_label(set, *e, pair.vocab.types);
    le.text = shown_text(set, *e, pair.text, &pair.result.chosen);
  }
  return le;
}

}  // namespace

listed_outcome describe_outcome(const outcome& o, const evaluated_pair& pair) {
  listed_outcome lo{o, letter_of(o.kind), std::string(), describe_entity(o.ref, pair.ref, pair),
                    describe_entity(o.hyp, pair.hyp, pair)};
  lo.names = o.kind == outcome_kind::correct ? std::string("correct")
                                             : error_names_text(*o.record, pair.vocab);
  return lo;
}
