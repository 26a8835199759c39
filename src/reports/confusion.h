// Which entity types the alignment paired with which: every outcome counted
// once, by the type of its reference entity (none for an insertion) and the
// type of its hypothesis entity (none for a deletion).
#pragma once

#include <cstdint>
#include <vector>

#include "reports/evaluated_pair.h"

constexpr int32_t no_type = -1;  // the side of an insertion or deletion without an entity

struct confusion_cell {
  int32_t ref_type;  // a type id, or no_type
  int32_t hyp_type;
  int count;
  // Of `count`, the correct pairings: a type's own cell also holds the
  // pairings of that type with other boundaries or attributes.
  int correct = 0;
};

struct confusion_report {
  // The non-zero cells, by reference type then hypothesis type, each in type
  // order with no_type last. They add up to the number of outcomes.
  std::vector<confusion_cell> cells;
};

confusion_report count_confusions(const evaluated_pair& pair);
