// What the task description says one outcome costs: a cost and the list of
// error types it named, interned in the vocabularies (error_lists).
#pragma once

#include <cstdint>

struct cost_record {
  double cost = -1.0;   // the cost as the description gave it
  int32_t errors = -1;  // id of its error-type list; 0 is the empty list (a correct
                        // outcome); -1 marks a record the description was never asked for

  bool asked() const { return errors >= 0; }
};
