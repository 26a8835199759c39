// A whole run on token-per-line documents from the input, under a preset-like
// description that names no types. The first byte picks the layout (one
// file or two), the scheme (and named columns), the reports and their form (text or JSON); the rest
// is the reference file, a NUL, and the hypothesis file.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

const char* const description = R"(
function get_miss_cost(e) return 1, e.hyp and "insertion" or "deletion" end
function get_substitution_cost(r, h)
  if r.spos >= h.epos or h.spos >= r.epos then return 3, "apart" end
  if r.spos == h.spos and r.epos == h.epos then
    if r.type == h.type then return 0 end
    return 0.5, "type"
  end
  return 0.5, "boundary"
end
)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string task = scratch_file("task.lua", description);
  if (size < 1) {
    return 0;
  }
  const uint8_t flags = data[0];
  const std::vector<std::string> parts = split_input(data + 1, size - 1, 2);
  const std::string ref = scratch_file("ref.conll", parts[0]);
  const std::string hyp = scratch_file("hyp.conll", parts[1]);
  std::vector<const char*> args = {"orvane", "--conll", "--scheme"};
  const char* const schemes[] = {"conlleval", "iob2", "iobes", "conlleval"};
  args.push_back(schemes[(flags >> 1) & 3]);
  // The fourth choice names the columns too, the reference's from the start.
  if (((flags >> 1) & 3) == 3) {
    args.push_back("--columns");
    args.push_back("2,-1");
  }
  if (flags & 8) {
    args.push_back("-c");
  }
  if (flags & 16) {
    args.push_back("-i");
    args.push_back("50");
  }
  if (flags & 32) {
    args.push_back("--types");
    args.push_back("PER,B-X,O");
  }
  if (flags & 64) {
    args.push_back("--json");
  }
  if (flags & 128) {
    args.push_back("--confusion");
  }
  args.push_back(task.c_str());
  args.push_back(ref.c_str());
  if (!(flags & 1)) {
    args.push_back(hyp.c_str());
  }
  run_command_line(args);
  return 0;
}
