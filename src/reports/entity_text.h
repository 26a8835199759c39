// How the reports show entities and error records as text.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/cost_record.h"
#include "model/entity.h"
#include "model/frontier_choice.h"
#include "model/segment.h"
#include "model/vocabulary.h"

// The printable form of the reference text from `from` up to `to` (empty when
// the span is empty or reversed).
std::string span_text(const char* data, int from, int to);

// The name of an entity type, or "?" for an id outside the vocabulary (an
// aref slot that no marker described, in a dump taken before refinement).
const char* type_name(int tagid, const name_table& types);

// The candidates an entity is shown with: those the alignment chose for it
// (`chosen`, by reference index; null or without an entry for a hypothesis
// entity), or else its first start and last end.
frontier_choice shown_choice(const entity_set& set, const entity& e,
                             const std::vector<frontier_choice>* chosen);

// The span an entity is shown with, [first, second): between the
// boundaries of `shown_choice`, or its outer ones where it has no such
// candidate.
std::pair<int, int> shown_span(const entity_set& set, const entity& e,
                               const std::vector<frontier_choice>* chosen);

// The candidate at `index`, or `none` when the entity has no such candidate.
int candidate_or(view<const int32_t> positions, int index, int none);

// The entity's text as the detail listing shows it: its span, or, for an
// entity with alternative boundaries, every candidate marked in the text:
// "{" and "}" for the chosen start and end, "[" and "]" for the others.
std::string shown_text(const entity_set& set, const entity& e, const char* data,
                       const std::vector<frontier_choice>* chosen);

// The entity's type, then its attributes in parentheses when it has any:
// "pers (kind=person)"; control bytes escaped as `shown_name` does.
std::string type_label(const entity_set& set, const entity& e, const name_table& types);

// The error type names of `record`, in stored order, joined by one blank;
// control bytes escaped as `shown_name` does.
std::string error_names_text(const cost_record& record, const vocabularies& vocab);
