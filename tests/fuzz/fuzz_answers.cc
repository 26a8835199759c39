// The description's answers from the input: every cost call returns values
// decoded from the next bytes (nothing, nil, NaN, infinities, huge and
// negative numbers, strings, tables, nested tables, several values), over
// a fixed document pair picked by the first byte. Every answer must give
// a report or one fault message.
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/run.h"
#include "fuzz_support.h"

namespace {

const char* const decoder = R"(
local pos = 1
local function byte()
  local b = answers:byte(pos) or 0
  pos = pos + 1
  return b
end
local value
value = function(depth)
  local k = byte() % 14
  if k == 0 then return nil
  elseif k == 1 then return 0 / 0
  elseif k == 2 then return math.huge
  elseif k == 3 then return -math.huge
  elseif k == 4 then return 1e308 * (byte() % 3 - 1)
  elseif k == 5 then return -byte()
  elseif k == 6 then return byte() / 16
  elseif k == 7 then return string.rep(string.char(32 + byte() % 95), byte() % 4)
  elseif k == 8 then return tostring(byte() - 128)
  elseif k == 9 then
    local t = {}
    for i = 1, byte() % 5 do t[i] = depth < 3 and value(depth + 1) or "e" .. i end
    return t
  elseif k == 10 then return { { "nested" }, "x" }
  elseif k == 11 then return true
  elseif k == 12 then return { [1] = "a", [3] = "c", k = "v" }
  else return get_miss_cost
  end
end
local function answer()
  local n = byte() % 5
  local r = {}
  for i = 1, n do r[i] = value(0) end
  return table.unpack(r, 1, n)
end
function get_all_tags() return { "pers", "loc" } end
function get_miss_cost(e) return answer() end
function get_substitution_cost(r, h) return answer() end
)";

struct pair_of_documents {
  const char* ref;
  const char* hyp;
  bool aref;
};

const pair_of_documents pairs[] = {
    {"<pers>Jean</pers> vit à <loc>Paris</loc>.\n", "<pers>Jean</pers> vit à <pers>Paris</pers>.\n",
     false},
    {"<pers><pers>Jean <loc>Dupont</loc></pers> et <pers>Marie</pers></pers>\n",
     "<pers>Jean</pers> <loc>Dupont et</loc> Marie\n", false},
    {"Le <annotation id=0 type=pers ftype=s/>M. <annotation id=0 ftype=s/>Jean "
     "<annotation id=1 type=loc ftype=s parent=0/>Dupont<annotation id=1 ftype=e/>"
     "<annotation id=0 ftype=e/> dit<annotation id=0 ftype=e/>\n",
     "Le <pers>M. Jean</pers> <loc>Dupont dit</loc>\n", true},
};

std::string lua_string(const uint8_t* data, size_t size) {
  std::string s = "\"";
  for (size_t i = 0; i < size; i++) {
    s += "\\" + std::to_string(data[i]);
  }
  return s + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  if (size < 1) {
    return 0;
  }
  const pair_of_documents& docs = pairs[data[0] % (sizeof pairs / sizeof pairs[0])];
  run_options options;
  options.input.description =
      scratch_file("task.lua", "answers = " + lua_string(data + 1, size - 1) + decoder);
  options.input.reference = scratch_file(docs.aref ? "ref.aref" : "ref.txt", docs.ref);
  options.input.hypothesis = scratch_file("hyp.txt", docs.hyp);
  options.input.reference_is_aref = docs.aref;
  options.reports.summary = true;
  options.reports.details = true;
  options.reports.details_correct = data[0] & 4;
  options.reports.agreement = true;
  options.reports.expected_count = 10;
  const int status = run_evaluation(options, sink, sink);
  assert(status == 0 || status == 1);
  (void)status;
  return 0;
}
