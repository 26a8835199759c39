// The visual report's page as values: every outcome, corrects included, and
// the spans of text that its entities cover, in the order the page draws
// them.
#pragma once

#include <cstdint>
#include <vector>

#include "reports/evaluated_pair.h"
#include "reports/outcomes.h"

struct page_entity {
  const entity* e;
  int32_t start;     // the span drawn, as byte offsets in the reference text:
  int32_t end;       // the chosen candidates of a reference entity
  uint32_t outcome;  // index in page_model::outcomes
};

struct page_outcome {
  outcome o;
  int32_t ref = -1;  // index in page_model::entities, -1 for none
  int32_t hyp = -1;
};

struct page_model {
  std::vector<page_outcome> outcomes;  // in the detail listing's order
  std::vector<page_entity> entities;   // by start, the longer first, reference first
};

page_model build_page_model(const evaluated_pair& pair);
