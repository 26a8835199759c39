// Normalising entity boundaries against the reference text.
#pragma once

#include <vector>

#include "entities/entity.h"

// Moves every boundary inwards past whitespace, drops candidates that cannot
// form a non-empty span, merges equal candidates, and ends the run on an
// entity with nothing left. `fname` is used in messages only.
void refine_entities(std::vector<entity>& entities, const char* data, const char* fname);
