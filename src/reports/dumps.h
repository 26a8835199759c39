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

// "R:0:pers:text" without a line end, with the chosen candidates (`chosen`
// by reference index, or null).
void show_entity(FILE* out, const entity_set& set, const entity& e, const char* data,
                 const std::vector<frontier_choice>* chosen, const name_table& types);
// One line per entity: index, first start, last end, depth, side, type, text.
void show_entities(FILE* out, const entity_set& set, const char* data, const name_table& types);
// One line per segment: index, start, end, and the entities it concerns
// (the reference entities, then the hypothesis entities, each by index).
void show_segments(FILE* out, const segment_set& segments, const entity_set& ref,
                   const entity_set& hyp, const char* data, const name_table& types);
