// Frontiers and segments: the text cut at every position where an entity of
// either side may start or end.
#pragma once

#include <vector>

#include "model/entity.h"
#include "model/segment.h"

// Lists every start and end candidate of `entities` in `frontiers`.
void add_frontiers(frontier_map& frontiers, std::vector<entity>& entities);

// Cuts one segment between each two consecutive frontiers.
void build_segments(std::vector<segment>& segments, const frontier_map& frontiers);
