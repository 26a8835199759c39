// A whole run, reports included, on a reference and a hypothesis from the
// input under a fixed description. The first byte picks the options (-a -s
// -d -c -o -i --json --confusion), the second the expected count of -i and,
// when odd, a visual report too; the rest is the reference, a NUL, and the
// hypothesis.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

// Costs that depend on types, attributes, boundaries and text, with ties.
const char* const description = R"(
function get_all_tags() return { "pers", "loc", "org", "PER", "x-y", "a=b" } end
function get_miss_cost(e)
  if e.type == "org" then return 2, { "miss", "org" } end
  return 1, "miss"
end
function get_substitution_cost(r, h)
  local names = {}
  local cost = 0
  if r.type ~= h.type then cost = cost + 0.5; names[#names + 1] = "type" end
  if r.spos ~= h.spos or r.epos ~= h.epos then
    cost = cost + 0.5; names[#names + 1] = "frontier"
  end
  if r.attr and h.attr and r.attr.k ~= h.attr.k then cost = cost + 0.25 end
  if #r.value > 40 then cost = cost + 0.125 end
  if cost == 0 then return 0 end
  return cost, names
end
)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string task = scratch_file("task.lua", description);
  static const std::string page = scratch_file("page.html", "");
  if (size < 2) {
    return 0;
  }
  const uint8_t flags = data[0];
  const std::vector<std::string> parts = split_input(data + 2, size - 2, 2);
  const std::string ref = scratch_file(flags & 1 ? "ref.aref" : "ref.txt", parts[0]);
  const std::string hyp = scratch_file("hyp.txt", parts[1]);
  const std::string expected = std::to_string(data[1]);
  // Through the command line, as a user would ask.
  std::vector<const char*> args = {"orvane"};
  const char* const switches[] = {"-a", "-s", "-d", "-c", "-o"};
  for (int bit = 0; bit < 5; bit++) {
    if (flags & (1 << bit)) {
      args.push_back(switches[bit]);
    }
  }
  if (flags & 32) {
    args.push_back("-i");
    args.push_back(expected.c_str());
  }
  if (flags & 64) {
    args.push_back("--json");
  }
  if (flags & 128) {
    args.push_back("--confusion");
  }
  // An odd second byte adds the visual report too, written over the last.
  if (data[1] & 1) {
    args.push_back("--html");
    args.push_back(page.c_str());
  }
  args.push_back(task.c_str());
  args.push_back(ref.c_str());
  args.push_back(hyp.c_str());
  run_command_line(args);
  return 0;
}
