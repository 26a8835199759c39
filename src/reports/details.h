// The detail listing as values: every outcome the listing shows, in order,
// with the texts it shows for it.
#pragma once

#include <string>

#include "reports/evaluated_pair.h"
#include "reports/outcomes.h"

// One entity of a listed outcome.
struct listed_entity {
  const entity* e = nullptr;  // null when the outcome has no entity on this side
  std::string label;          // type and attributes
  std::string text;           // the text, alternative boundaries marked
};

struct listed_outcome {
  outcome o;
  char letter;        // I, D, S or C
  std::string names;  // the error names, or "correct" for a correct pairing
  listed_entity ref;
  listed_entity hyp;
};

listed_outcome describe_outcome(const outcome& o, const evaluated_pair& pair);

// Calls visit(const listed_outcome&) for every error in listing order, and for
// every correct pairing too when `with_corrects`. One outcome is described at
// a time: the listing is never held whole.
template <class Visit>
void for_each_listed_outcome(const evaluated_pair& pair, bool with_corrects, Visit&& visit) {
  for_each_outcome(pair, [&](const outcome& o) {
    if (o.kind == outcome_kind::correct && !with_corrects) {
      return;
    }
    visit(describe_outcome(o, pair));
  });
}
