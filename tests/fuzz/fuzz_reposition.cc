// Two documents from one input (cut at the first NUL): both read as
// annotated text, then the hypothesis tags moved onto the reference text.
#include <cassert>
#include <cstdint>
#include <cstring>

#include "base/fatal.h"
#include "fuzz_support.h"
#include "readers/reposition.h"
#include "readers/text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const name_table types = fuzz_types();
  const std::vector<std::string> parts = split_input(data, size, 2);
  std::vector<char> ref = writable(parts[0]);
  std::vector<char> hyp = writable(parts[1]);
  try {
    text_tags ref_tags;
    text_tags hyp_tags;
    xml_extract_tags(ref_tags, ref.data(), parts[0].size(), "ref.txt", types);
    xml_extract_tags(hyp_tags, hyp.data(), parts[1].size(), "hyp.txt", types);
    align_and_reposition(ref.data(), hyp.data(), hyp_tags.tags);
    check_tag_order(hyp_tags.tags, ref.data());
  } catch (const fatal_error& e) {
    assert(e.status == 1 && !e.text.empty());
  }
  return 0;
}
