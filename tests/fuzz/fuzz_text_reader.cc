// The annotated text reader, then the entities built from its tags: any
// bytes must give tags in text order or one fault message.
#include <cassert>
#include <cstdint>
#include <cstring>

#include "base/fatal.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "fuzz_support.h"
#include "readers/text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const name_table types = fuzz_types();
  std::vector<char> doc(data, data + size);
  doc.push_back('\0');
  try {
    text_tags tags;
    xml_extract_tags(tags, doc.data(), size, "hyp.txt", types);
    check_tag_order(tags.tags, doc.data());
    entity_set entities;
    build_entities_from_tags(entities, tags, "hyp.txt", true, types);
    refine_entities(entities, doc.data(), "hyp.txt", types);
  } catch (const fatal_error& e) {
    assert(e.status == 1 && !e.text.empty());
  }
  return 0;
}
