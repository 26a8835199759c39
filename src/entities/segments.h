// Frontiers and segments: the text cut at every position where an entity of
// either side may start or end.
#pragma once

#include "model/entity.h"
#include "model/segment.h"

// Cuts one segment between each two consecutive frontiers (positions where
// an entity of either side has a candidate) and records, per segment, the
// entities that start there and, per entity, the segments it concerns. The
// entities must be refined: a start and an end each, equal candidates merged.
void build_segments(segment_set& segments, const entity_set& ref, const entity_set& hyp);
