// What the task description says one outcome costs.
#pragma once

#include <list>

struct error_d {
  double cost = -1.0;          // the cost as the description gave it
  std::list<int> error_types;  // error type ids, ascending; empty for a correct outcome
  bool asked = false;          // whether the description was asked; -1 is a real cost
};
