// Entity texts and type names as the reports print them.
#include "description/vocabulary.h"
#include "driver/escape.h"
#include "reports/outcome.h"

std::string span_text(const char* data, int from, int to) {
  if (to <= from) {
    return std::string();
  }
  // escape_string sizes its buffer for the worst case, 5 bytes per source byte.
  return escape_string(data + from, to - from);
}

const char* type_name(int tagid) {
  if (tagid < 0 || static_cast<size_t>(tagid) >= tag_names.size()) {
    return "?";
  }
  return tag_names[tagid].c_str();
}

frontier_choice shown_choice(const entity& e, const frontier_choice_map& fm) {
  auto chosen = fm.find(&e);
  if (chosen != fm.end()) {
    return chosen->second;
  }
  return frontier_choice(0, static_cast<int>(e.end.size()) - 1);
}

int candidate_or(const std::vector<int>& positions, int index, int none) {
  if (index < 0 || static_cast<size_t>(index) >= positions.size()) {
    return none;
  }
  return positions[index];
}
