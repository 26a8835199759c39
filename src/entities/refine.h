// Normalising entity boundaries against the reference text.
#pragma once

#include "model/entity.h"
#include "model/vocabulary.h"

// Moves every boundary inwards past whitespace, drops candidates that cannot
// form a non-empty span, merges equal candidates, and ends the run on an
// entity with nothing left. `fname` and `types` are used in messages only.
void refine_entities(entity_set& entities, const char* data, const char* fname,
                     const name_table& types);
