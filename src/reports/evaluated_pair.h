// What the reports read of one evaluated document pair: the aligned segments
// and everything needed to name and show their outcomes. Non-owning; the
// evaluation that made it keeps it all alive.
#pragma once

#include <vector>

#include "model/frontier_choice.h"
#include "model/segment.h"
#include "model/vocabulary.h"

struct evaluated_pair {
  const vocabularies& vocab;
  const std::vector<segment>& segments;  // with their pairings and unmapped entities
  const frontier_choice_map& chosen;     // the candidates chosen for the reference entities
  const char* text;                      // the reference's bare text
  int reference_count;                   // entities of each side
  int hypothesis_count;
  const char* reference_name;  // file names, as given on the command line
  const char* hypothesis_name;
};
