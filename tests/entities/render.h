// Test-only one-line renderings of entities and segments, so that one
// comparison checks a whole result.
#pragma once

#include <string>
#include <vector>

#include "entities/segments.h"
#include "model/entity.h"
#include "model/vocabulary.h"

// "type[starts:ends]d<depth>", then "^<parent index>" and "<<left constraint
// index>" when set and "{name=value,...}" when attributes exist; entities
// separated by spaces; "?" for an id slot no marker described.
std::string show_entities(const std::vector<entity>& entities, const name_table& types);

// Entities as "r<index>" (reference) or "h<index>" (hypothesis). A frontier
// map as "pos:entities" items; a segment as
// "start-end{entities}s{starting ref}e{ending ref}h{starting hyp}", a ref
// entry as "r<index>.<fid>"; the entities of a segment sorted by label.
std::string show_frontiers(const frontier_map& frontiers, const std::vector<entity>& ref,
                           const std::vector<entity>& hyp);
std::string show_segments(const std::vector<segment>& segments, const std::vector<entity>& ref,
                          const std::vector<entity>& hyp);
