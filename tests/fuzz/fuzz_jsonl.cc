// The JSON-lines reader, then the entities of each line's spans: any bytes
// must give documents whose tags come in text order, or one fault message.
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/fatal.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "fuzz_support.h"
#include "readers/jsonl_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  for (const jsonl_line& l : jsonl_lines(bytes, size)) {
    assert(l.begin < l.end && l.end <= size);
    name_table types = fuzz_types();
    try {
      const jsonl_document d =
          read_jsonl_line(std::string_view(bytes + l.begin, l.end - l.begin), l.number, "h.jsonl");
      text_tags tags;
      read_character_spans(tags, d.spans, d.where("h.jsonl"), d.text.c_str(), d.text.size(), types);
      check_tag_order(tags.tags, d.text.c_str());
      entity_set entities;
      build_entities_from_tags(entities, tags, "h.jsonl", true, types);
      refine_entities(entities, d.text.c_str(), "h.jsonl", types);
    } catch (const fatal_error& e) {
      assert(e.status == 1 && !e.text.empty());
    }
  }
  return 0;
}
