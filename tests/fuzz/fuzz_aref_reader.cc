// The aref reader, then the entities built from its markers (ids, links,
// candidates): any bytes must give entities or one fault message.
#include <cassert>
#include <cstdint>
#include <cstring>

#include "base/fatal.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "fuzz_support.h"
#include "readers/aref_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const name_table types = fuzz_types();
  std::vector<char> doc(data, data + size);
  doc.push_back('\0');
  try {
    std::vector<aref_tag> tags;
    aref_extract_tags(tags, doc.data(), size, "ref.aref", types);
    entity_set entities;
    build_entities_from_tags(entities, tags, "ref.aref", false, types);
    refine_entities(entities, doc.data(), "ref.aref", types);
  } catch (const fatal_error& e) {
    assert(e.status == 1 && !e.text.empty());
  }
  return 0;
}
