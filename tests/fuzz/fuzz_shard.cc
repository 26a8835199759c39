// Shards merged: any bytes as a shard's report (beside a sound one, now and
// then) must merge into reports or end with one fault message, never read
// past a pair's types nor overflow a sum.
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/fatal.h"
#include "corpus/shards.h"
#include "fuzz_support.h"

namespace {

// A shard of one pair, whose names the input's pairs may share.
const char sound_shard[] =
    R"({"documents":{"pairs":"p.tsv","description":"task.lua"},"merge":{"version":1,)"
    R"("program":"0.9.0","description":{"name":"task.lua","digest":"c8caf66cbe16ed65"},)"
    R"("options":{"format":"text","types":"","only_types":""},"declared_types":["pers"],)"
    R"("pairs":[{"reference":"ref/a.txt","hypothesis":"hyp/a.txt","types":["pers","loc"],)"
    R"("counts":[2,2,1,1,1,0,2,2.0,1.0,0,0,1],"per_type":[[1,2,1,1],[1,0,0,0]],)"
    R"("confusion":[[0,0,1,1],[1,-1,1,0],[-1,0,1,0]]}]}})";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses the reports and whether a sound shard comes first.
  const uint8_t choice = data[0];
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> shards;
  if (choice & 1) {
    shards.push_back(scratch_file("sound.json", sound_shard));
  }
  shards.push_back(scratch_file("shard.json", input));
  report_options reports;
  reports.summary = true;
  reports.json = choice & 2;
  reports.confusion = choice & 4;
  reports.table = choice & 8;
  reports.agreement = choice & 16;
  reports.expected_count = 10;
  merge_options merge;
  merge.per_document = choice & 32;
  merge.bootstrap = choice & 64 ? 3 : 0;
  FILE* out = fopen("/dev/null", "w");
  assert(out);
  try {
    const int status = run_merge(shards, reports, merge, out, out);
    assert(status == 0);
  } catch (const fatal_error& e) {
    assert((e.status == 1 || e.status == 2) && !e.text.empty() && e.text.back() == '\n');
  }
  fclose(out);
  return 0;
}
