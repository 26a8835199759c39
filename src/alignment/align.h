// The least-cost alignment of reference and hypothesis entities.
#pragma once

#include <vector>

#include "model/entity.h"
#include "model/frontier_choice.h"
#include "model/segment.h"

// Searches, segment by segment, for the pairing and the choice of reference
// candidates that cost least; writes the result into each segment's
// added_pairs and unmapped_entities and into `align_frontiers`.
// `ref_fname` names the reference in the message for a reference whose
// candidates admit no consistent choice.
void align(std::vector<segment>& segments, frontier_choice_map& align_frontiers,
           const char* ref_fname);

// Marks the paired entities and takes them off the unmapped lists.
void cleanup_unmapped(std::vector<segment>& segments, std::vector<entity>& ref_entities,
                      std::vector<entity>& hyp_entities);
