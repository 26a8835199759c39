// What the reports read of one evaluated document pair: the entities of both
// sides, the segments, the costs charged, what the alignment chose, and what
// is needed to name and show it all. Non-owning; the evaluation that made it
// keeps it all alive.
#pragma once

#include <cstdint>

#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"

struct evaluated_pair {
  const vocabularies& vocab;
  const entity_set& ref;
  const entity_set& hyp;
  const segment_set& segments;
  const substitution_costs& costs;
  const alignment_result& result;  // the pairings and unmapped entities per segment
  const char* text;                // the reference's bare text
  const char* reference_name;      // file names, as given on the command line
  const char* hypothesis_name;
  const char* description_name;  // the task description's file, as loaded
  // Token-per-line documents: their tokens, and those whose two tags are
  // the same (prefix and type); 0 and 0 for other documents.
  uint64_t tokens = 0;
  uint64_t equal_tags = 0;

  int reference_count() const { return static_cast<int>(ref.size()); }
  int hypothesis_count() const { return static_cast<int>(hyp.size()); }
};
