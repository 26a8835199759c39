// Test-only one-line renderings of entities and segments, so that one
// comparison checks a whole result.
#pragma once

#include <string>

#include "entities/segments.h"
#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"
#include "support/entity_scene.h"

// Entities in the scene language: support/entity_scene.h.

// Entities as "r<index>" (reference) or "h<index>" (hypothesis). A segment
// as "start-end s{starting ref} h{starting hyp}", a ref entry as
// "r<index>.<fid>"; segments separated by " | ".
std::string show_segments(const segment_set& segments);

// The segments each entity concerns, "r0:0-2 r1:1-1 h0:0-2", reference
// entities first.
std::string show_ranges(const segment_set& segments);

// The frontiers, "0,3,5".
std::string show_frontiers(const segment_set& segments);
