// The Label Studio reader: any bytes must give JSON lines that the JSON-lines
// reader takes, line by line, or one fault message.
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/fatal.h"
#include "fuzz_support.h"
#include "readers/jsonl_reader.h"
#include "readers/labelstudio_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  for (const char* who : {"", "#2", "3", "prediction"}) {
    name_table types = fuzz_types();
    try {
      labelstudio_counts counts;
      const std::string lines = labelstudio_as_jsonl(bytes, size, "e.json", who, counts);
      for (const jsonl_line& l : jsonl_lines(lines.data(), lines.size())) {
        const jsonl_document d = read_jsonl_line(
            std::string_view(lines.data() + l.begin, l.end - l.begin), l.number, "e.json", true);
        text_tags tags;
        read_character_spans(tags, d.spans, d.where("e.json"), d.text.c_str(), d.text.size(),
                             types);
        check_tag_order(tags.tags, d.text.c_str());
      }
    } catch (const fatal_error& e) {
      assert(e.status == 1 && !e.text.empty());
    }
  }
  return 0;
}
