// The start and end candidate chosen for a reference entity.
#pragma once

#include <map>

struct entity;

struct frontier_choice {
  int sf = -1;  // index of the chosen start candidate
  int ef = -1;  // index of the chosen end candidate; -1 while deferred to a later start
  frontier_choice() = default;
  frontier_choice(int sf_, int ef_) : sf(sf_), ef(ef_) {}
  bool operator!=(const frontier_choice& o) const { return sf != o.sf || ef != o.ef; }
};

// Reference entity to its chosen candidates.
using frontier_choice_map = std::map<const entity*, frontier_choice>;
