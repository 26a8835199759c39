// A corpus's pairs file: any bytes must give pairs of non-empty names or
// one fault message (status 2 for a hypothesis that is there but no document).
#include <cassert>
#include <cstdint>
#include <string>

#include "base/fatal.h"
#include "corpus/pairs.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string list =
      scratch_file("pairs.tsv", std::string(reinterpret_cast<const char*>(data), size));
  try {
    for (const document_pair& p : pairs_from_list(list, size % 2 == 0)) {
      assert(!p.reference.empty() && !p.hypothesis.empty());
      assert(p.reference.find('\t') == std::string::npos);
      assert(p.hypothesis.find('\n') == std::string::npos);
    }
  } catch (const fatal_error& e) {
    assert((e.status == 1 || e.status == 2) && !e.text.empty());
  }
  return 0;
}
