// Frontiers and segments: the text cut at every position where an entity of
// either side may start or end.
#pragma once

#include <list>
#include <map>
#include <vector>

#include "model/entity.h"
#include "model/error_d.h"

struct segment {
  // A pairing made by the alignment, with the record charged for it.
  struct pairinfo {
    entity* er;            // reference entity
    entity* eh;            // hypothesis entity
    const error_d* error;  // er's subst_errors for eh at er's chosen candidates
    pairinfo(entity* er_, entity* eh_, const error_d* error_) : er(er_), eh(eh_), error(error_) {}
  };
  // A reference entity with the index of one of its candidates.
  struct ef {
    entity* e;
    unsigned int fid;
    ef(entity* e_, unsigned int fid_) : e(e_), fid(fid_) {}
  };

  int start = 0;                  // the frontier that opens the segment
  int end = 0;                    // the next frontier
  std::vector<entity*> entities;  // the entities that concern the segment, by address
  std::vector<ef> starting_ref_entities;
  std::vector<ef> ending_ref_entities;
  std::vector<entity*> starting_hyp_entities;
  std::list<pairinfo> added_pairs;       // written by the alignment
  std::list<entity*> unmapped_entities;  // written by the alignment
};

// Text position to the entities with a candidate there.
using frontier_map = std::map<int, std::list<entity*>>;
