// The start and end candidate chosen for a reference entity.
#pragma once

struct frontier_choice {
  int sf = -1;  // index of the chosen start candidate; -1 for no choice
  int ef = -1;  // index of the chosen end candidate; -1 while deferred to a later start
  frontier_choice() = default;
  frontier_choice(int sf_, int ef_) : sf(sf_), ef(ef_) {}
  bool operator==(const frontier_choice& o) const { return sf == o.sf && ef == o.ef; }
  bool operator!=(const frontier_choice& o) const { return !(*this == o); }
};
