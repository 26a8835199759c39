// The standoff reader, then the entities built from its tags: any
// annotation file over any text (the input's two parts, cut at its first
// NUL) must give tags in text order or one fault message.
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

#include "base/fatal.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "fuzz_support.h"
#include "readers/standoff_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = split_input(data, size, 2);
  const std::string text = parts.size() > 1 ? parts[0] : std::string();
  const std::string& ann = parts.back();
  name_table types = fuzz_types();
  try {
    text_tags tags;
    standoff_counts counts;
    read_standoff(tags, counts, ann.c_str(), ann.size(), "hyp.ann", text.c_str(), text.size(),
                  "hyp.txt", types);
    check_tag_order(tags.tags, text.c_str());
    entity_set entities;
    build_entities_from_tags(entities, tags, "hyp.ann", true, types);
    refine_entities(entities, text.c_str(), "hyp.ann", types);
  } catch (const fatal_error& e) {
    assert(e.status == 1 && !e.text.empty());
  }
  return 0;
}
