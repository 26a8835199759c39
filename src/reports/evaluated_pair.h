// What the reports read of one evaluated document pair: the entities of both
// sides, the segments, the costs charged, what the alignment chose, and what
// is needed to name and show it all. Non-owning; the evaluation that made it
// keeps it all alive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/entity.h"
#include "model/segment.h"
#include "model/tags.h"
#include "model/vocabulary.h"

struct evaluated_pair {
  const vocabularies& vocab;
  const entity_set& ref;
  const entity_set& hyp;
  const segment_set& segments;
  const substitution_costs& costs;
  const alignment_result& result;  // the pairings and unmapped entities per segment
  const char* text;                // the reference's bare text
  const char* reference_name;      // file names, as given on the command line
  const char* hypothesis_name;
  const char* description_name;  // the task description's file, as loaded
  // Token-per-line documents: their tokens, and those whose two tags are
  // the same (prefix and type); 0 and 0 for other documents.
  uint64_t tokens = 0;
  uint64_t equal_tags = 0;
  // Standoff documents: where each side's entities came from, each
  // entity's at the index its column holds; null for other documents.
  const std::vector<annotation_source>* reference_sources = nullptr;
  const std::vector<annotation_source>* hypothesis_sources = nullptr;

  // The annotation an entity came from; null when its document is not a
  // standoff one.
  const annotation_source* source_of(const entity& e) const {
    const std::vector<annotation_source>* sources = e.hyp ? hypothesis_sources : reference_sources;
    if (!sources || e.col < 0 || static_cast<size_t>(e.col) >= sources->size()) {
      return nullptr;
    }
    return &(*sources)[static_cast<size_t>(e.col)];
  }

  // What follows an entity's file name where reports place it: ":LINE", or
  // for a standoff document's entity ":3 (T2)", ":4 (span 2)", " task 2
  // (result id)". As the data has it: text reports escape it.
  std::string place_after_file(const entity& e) const {
    const annotation_source* source = source_of(e);
    std::string place = (source && source->task ? " task " : ":") + std::to_string(e.line);
    if (source) {
      place += " (" + (source->id.empty() ? source->name : source->id) + ")";
    }
    return place;
  }

  int reference_count() const { return static_cast<int>(ref.size()); }
  int hypothesis_count() const { return static_cast<int>(hyp.size()); }
};
