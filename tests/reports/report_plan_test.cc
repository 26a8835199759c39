// The report plan: the parts that a single pair writes straight from its
// evaluation and those a corpus renders ahead must come out the same.
#include "reports/report_plan.h"

#include <gtest/gtest.h>

#include <string>

#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

// The reports of `run` with every document part rendered ahead, as a
// corpus's worker renders it: the plan of a single pair otherwise.
std::string rendered_ahead(const evaluated_pair& pair, const report_options& options) {
  return capture([&](FILE* out) {
    run_header header;
    header.reference = pair.reference_name;
    header.hypothesis = pair.hypothesis_name;
    header.description = pair.description_name;
    report_plan plan(options, header, out);
    memory_stream scratch;
    document_report d = report_document(pair, options, &scratch);
    plan.document(pair.reference_name, d);
    pooled_results totals;
    totals.add(d.figures);
    plan.finish(totals);
  });
}

TEST(ReportPlan, PartsRenderedAheadMatchThoseWrittenLive) {
  run_outcome run;
  build_worked_example(run);
  const std::string text(40, 'x');
  const evaluated_pair pair = run.pair(text.c_str());
  for (int mask = 0; mask < 32; mask++) {
    report_options o;
    o.json = mask & 1;
    o.details = mask & 2;
    o.details_correct = mask & 4;
    o.summary = mask & 8;
    o.agreement = o.confusion = mask & 16;
    const std::string live = capture([&](FILE* out) { write_pair_reports(out, pair, o); });
    EXPECT_EQ(live, rendered_ahead(pair, o)) << "options " << mask;
    EXPECT_EQ(o.details || o.summary || o.agreement || o.json, !live.empty()) << mask;
  }
}

TEST(ReportPlan, CorpusJsonSaysWhatEndedIt) {
  run_outcome run;
  build_worked_example(run);
  const std::string text(40, 'x');
  const evaluated_pair pair = run.pair(text.c_str());
  report_options o;
  o.json = o.details = true;
  run_header header;
  header.corpus = true;
  header.pairs_file = "pairs.tsv";
  header.description = "task.lua";
  for (bool at_pair : {true, false}) {
    const std::string out = capture([&](FILE* f) {
      report_plan plan(o, header, f);
      memory_stream scratch;
      document_report d = report_document(pair, o, &scratch);
      plan.document("ref.aref", d);
      plan.failed(at_pair ? 1 : no_pair, "r2", "h2", 3);
    });
    EXPECT_EQ(0u, out.find("{\"documents\":{\"pairs\":\"pairs.tsv\",\"description\":\"task.lua\"},"
                           "\"outcomes\":[{"))
        << out;
    const std::string end = at_pair ? "],\"error\":{\"pair\":2,\"reference\":\"r2\",\"hypothesis\":"
                                      "\"h2\",\"status\":3}}\n"
                                    : "],\"error\":{\"status\":3}}\n";
    EXPECT_EQ(end, out.substr(out.size() - std::min(out.size(), end.size())));
  }
}

}  // namespace
