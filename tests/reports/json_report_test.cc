// The JSON report: which parts it holds, and how it writes text.
#include "reports/json_report.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <utility>
#include <vector>

#include "reports/hand_made.h"
#include "reports/report_plan.h"
#include "support/test_support.h"

namespace {

std::string json_of(const run_outcome& run, const char* text, const report_options& options) {
  report_options json = options;
  json.json = true;
  return capture([&](FILE* out) { write_pair_reports(out, run.pair(text), json); });
}

rapidjson::Document parse(const std::string& json) {
  rapidjson::Document d;
  d.Parse(json.c_str(), json.size());
  EXPECT_FALSE(d.HasParseError()) << json;
  return d;
}

TEST(JsonReport, PartsFollowTheReportOptions) {
  run_outcome run;
  build_worked_example(run);
  const std::string text(40, 'x');  // the example's entities lie within 35 bytes
  report_options options;
  rapidjson::Document d = parse(json_of(run, text.c_str(), options));
  EXPECT_TRUE(d.HasMember("summary") && d.HasMember("confusion"));
  EXPECT_FALSE(d.HasMember("agreement") || d.HasMember("outcomes"));

  options.details = true;
  options.agreement = true;
  options.expected_count = 10;
  d = parse(json_of(run, text.c_str(), options));
  ASSERT_TRUE(d.HasMember("agreement") && d.HasMember("outcomes"));
  EXPECT_EQ(10, d["agreement"]["expected_count"].GetInt());
  // The errors only: the substitution and the deletion.
  ASSERT_EQ(2u, d["outcomes"].Size());
  EXPECT_STREQ("substitution", d["outcomes"][0]["kind"].GetString());
  EXPECT_STREQ("deletion", d["outcomes"][1]["kind"].GetString());

  options.details_correct = true;
  d = parse(json_of(run, text.c_str(), options));
  ASSERT_EQ(4u, d["outcomes"].Size());
  EXPECT_STREQ("correct", d["outcomes"][0]["kind"].GetString());
  EXPECT_EQ(0u, d["outcomes"][0]["errors"].Size());
  EXPECT_DOUBLE_EQ(2.0 / 3, d["summary"]["precision"].GetDouble());
  EXPECT_DOUBLE_EQ(0.375, d["summary"]["slot_error_rate"].GetDouble());
}

// JSON holds Unicode text: each byte that starts no valid UTF-8 sequence
// becomes U+FFFD; valid sequences, and control characters, are kept
// (escaped).
TEST(JsonReport, TextIsValidUtf8) {
  const std::string text =
      "caf\xE9|\xC0\xAF|\xED\xA0\x80|\xF5\x80|\xF0\x9F\x98\x80|\x01\"\\|\xE6\x97";
  run_outcome run(make_types({"pers"}));
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r = add_entity(run, "pers", false, {0}, {static_cast<int32_t>(text.size())}, miss,
                                 3, {{"k", "v\xFF"}, {"k", "second"}});
  add_segment(run, {r});
  report_options options;
  options.details = true;
  const std::string json = json_of(run, text.c_str(), options);
  rapidjson::Document d = parse(json);
  const rapidjson::Value& e = d["outcomes"][0]["reference"];
  EXPECT_EQ(
      "caf\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD|\U0001F600|\x01\"\\|\uFFFD\uFFFD",
      std::string(e["text"].GetString(), e["text"].GetStringLength()));
  EXPECT_NE(std::string::npos, json.find("|\\u0001\\\"\\\\|")) << json;
  EXPECT_EQ(3, e["line"].GetInt());
  EXPECT_STREQ("ref.aref", e["file"].GetString());
  // Attributes as written, in order, repeated names too.
  const rapidjson::Value& attributes = e["attributes"];
  ASSERT_EQ(2u, attributes.MemberCount());
  EXPECT_STREQ("v\uFFFD", attributes.MemberBegin()->value.GetString());
  EXPECT_STREQ("second", (attributes.MemberBegin() + 1)->value.GetString());
}

// A reference entity with alternative boundaries shows them all, and the
// ones chosen; its text is the chosen span.
TEST(JsonReport, AlternativeBoundaries) {
  const char* text = "the University of Paris";
  run_outcome run(make_types({"org"}));
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r = add_entity(run, "org", false, {0, 4}, {23}, miss);
  choose(run, r, frontier_choice(1, 0));
  add_segment(run, {r});
  report_options options;
  options.details = true;
  rapidjson::Document d = parse(json_of(run, text, options));
  const rapidjson::Value& e = d["outcomes"][0]["reference"];
  EXPECT_STREQ("University of Paris", e["text"].GetString());
  ASSERT_EQ(2u, e["candidates"]["starts"].Size());
  EXPECT_EQ(4, e["candidates"]["starts"][1].GetInt());
  EXPECT_EQ(4, e["chosen"]["start"].GetInt());
  EXPECT_EQ(23, e["chosen"]["end"].GetInt());
}

TEST(JsonReport, UndefinedRatiosAreNull) {
  run_outcome run(make_types({"pers"}));
  const entity_id h = add_entity(run, "pers", true, {0}, {4}, make_record(run, 1, {"miss"}));
  add_segment(run, {h});
  rapidjson::Document d = parse(json_of(run, "Jean", report_options()));
  const rapidjson::Value& s = d["summary"];
  EXPECT_TRUE(s["slot_error_rate"].IsNull());
  EXPECT_TRUE(s["recall"].IsNull());
  EXPECT_EQ(0.0, s["precision"].GetDouble());
  EXPECT_EQ(0.0, s["f_measure"].GetDouble());
  EXPECT_TRUE(s["per_type"][0]["recall"].IsNull());
  const rapidjson::Value& cell = d["confusion"]["cells"][0];
  EXPECT_TRUE(cell["reference_type"].IsNull());
  EXPECT_STREQ("pers", cell["hypothesis_type"].GetString());
}

// A type's precision counts the corrects among its hypothesis entities, its
// recall those among its reference entities; a row names the first only
// where the two differ, so that other rows read as they always have.
TEST(JsonReport, CorrectsAcrossTypes) {
  run_outcome run;
  build_cross_type_example(run);
  rapidjson::Document d = parse(json_of(run, std::string(30, 'x').c_str(), report_options()));
  const rapidjson::Value& rows = d["summary"]["per_type"];
  ASSERT_EQ(4u, rows.Size());
  struct expected_row {
    const char* type;
    int correct, of_hypothesis;
    double precision, recall, f_measure;  // -1 for null
  };
  const expected_row expected[] = {{"pers", 2, 1, 1, 1, 1},
                                   {"loc", 1, 2, 1, 0.5, 2.0 / 3},
                                   {"org", 1, 0, -1, 1, 0},
                                   {"misc", 0, 1, 1, -1, 0}};
  for (size_t i = 0; i < rows.Size(); i++) {
    const rapidjson::Value& row = rows[static_cast<rapidjson::SizeType>(i)];
    const expected_row& e = expected[i];
    SCOPED_TRACE(e.type);
    EXPECT_STREQ(e.type, row["type"].GetString());
    EXPECT_EQ(e.correct, row["correct"].GetInt());
    ASSERT_TRUE(row.HasMember("correct_of_hypothesis"));
    EXPECT_EQ(e.of_hypothesis, row["correct_of_hypothesis"].GetInt());
    for (const auto& [key, value] : {std::pair<const char*, double>{"precision", e.precision},
                                     {"recall", e.recall},
                                     {"f_measure", e.f_measure}}) {
      if (value < 0) {
        EXPECT_TRUE(row[key].IsNull()) << key;
      } else {
        EXPECT_DOUBLE_EQ(value, row[key].GetDouble()) << key;
      }
    }
  }
  // Where the two counts agree, the row has no second one.
  run_outcome same;
  build_worked_example(same);
  d = parse(json_of(same, std::string(40, 'x').c_str(), report_options()));
  EXPECT_FALSE(d["summary"]["per_type"][0].HasMember("correct_of_hypothesis"));
  EXPECT_DOUBLE_EQ(0.8, d["summary"]["per_type"][0]["f_measure"].GetDouble());
}

// The error names of an outcome come in the order of their bytes, whatever
// order the run first met them in; the text listing keeps that order.
TEST(JsonReport, ErrorNamesInOrderOfTheirBytes) {
  run_outcome run(make_types({"pers"}));
  // The run met these names in this order; \xC3\xA9 is e acute, after every
  // ASCII letter, and capitals come before small letters.
  const entity_id r = add_entity(run, "pers", false, {0}, {4}, make_record(run, 1, {"miss"}));
  const entity_id h = add_entity(run, "pers", true, {0}, {3}, make_record(run, 1, {"miss"}));
  add_segment(run, {},
              {{r, h,
                add_record(run, 0.5,
                           {"type",
                            "\xC3\xA9"
                            "cart",
                            "boundary", "Zone", "type"})}});
  report_options options;
  options.details = true;
  rapidjson::Document d = parse(json_of(run, "Jean", options));
  const rapidjson::Value& errors = d["outcomes"][0]["errors"];
  std::vector<std::string> names;
  for (const rapidjson::Value& name : errors.GetArray()) {
    names.push_back(name.GetString());
  }
  EXPECT_EQ((std::vector<std::string>{"Zone", "boundary", "type", "type",
                                      "\xC3\xA9"
                                      "cart"}),
            names);
  EXPECT_EQ(
      "S: type \xC3\xA9"
      "cart boundary Zone type (0.5): ref.aref:1 hyp.txt:1\n"
      "S: ref: pers - Jean\n"
      "S: hyp: pers - Jea\n"
      "\n",
      details_text(run, "Jean", false));
  // The outcomes gathered for a corpus report are written alike.
  EXPECT_NE(std::string::npos,
            json_outcomes(run.pair("Jean"), false)
                .find("\"errors\":[\"Zone\",\"boundary\",\"type\",\"type\",\"\xC3\xA9"
                      "cart\"]"));
}

}  // namespace
