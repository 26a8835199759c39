// Diagnostic dumps of entities and segments, for inspecting a run by hand.
// They may be called at any stage, so they accept entities without
// candidates and types outside the vocabulary.
#pragma once

#include <cstdio>
#include <vector>

#include "model/entity.h"
#include "model/frontier_choice.h"
#include "model/segment.h"
#include "model/vocabulary.h"

// "R:0:pers:text" without a line end, with the chosen candidates.
void show_entity(FILE* out, const entity& e, const char* data, const frontier_choice_map& fm,
                 const name_table& types);
// One line per entity: index, first start, last end, depth, side, type, text.
void show_entities(FILE* out, const std::vector<entity>& entities, const char* data,
                   const name_table& types);
// One line per segment: index, start, end, and its entities.
void show_segments(FILE* out, const std::vector<segment>& segments, const char* data,
                   const name_table& types);
