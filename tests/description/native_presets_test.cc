// The shipped presets computed in C++: recognised by their text alone, no
// interpreter started for them, and every answer the script's own.
#include "description/native_presets.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "description/cost_fixture.h"
#include "description/description.h"
#include "entities/segments.h"
#include "support/test_support.h"

namespace {

const char* const preset_names[native_preset_count] = {"exact", "type", "boundary", "partial",
                                                       "ser"};

std::string preset_path(int p) {
  return std::string(ORVANE_SOURCE_DIR) + "/presets/" + preset_names[p] + ".lua";
}

// ORVANE_LUA_PRESETS set for the life of the object.
struct lua_forced {
  explicit lua_forced(const char* value) { setenv("ORVANE_LUA_PRESETS", value, 1); }
  ~lua_forced() { unsetenv("ORVANE_LUA_PRESETS"); }
};

TEST(NativePresets, RecognisedByTheirTextAlone) {
  for (int p = 0; p < native_preset_count; p++) {
    SCOPED_TRACE(preset_names[p]);
    const std::string text = file_text(preset_path(p));
    const native_preset preset = static_cast<native_preset>(p);
    EXPECT_EQ(preset, native_preset_of(text));
    EXPECT_EQ(preset, native_preset_of_file(preset_path(p).c_str()));
    // A copy elsewhere is the preset; an edited one, however little, is not.
    EXPECT_EQ(preset, native_preset_of_file(temp_file(text).c_str()));
    std::string edited = text;
    edited[edited.size() / 2] ^= 1;
    EXPECT_EQ(native_preset::none, native_preset_of(edited));
    EXPECT_EQ(native_preset::none, native_preset_of_file(temp_file(edited).c_str()));
    EXPECT_EQ(native_preset::none, native_preset_of(text + "\n"));
    EXPECT_EQ(native_preset::none, native_preset_of_file(temp_file(text + " ").c_str()));
    EXPECT_EQ(native_preset::none, native_preset_of(text.substr(1)));
    {
      const lua_forced forced("1");
      EXPECT_EQ(native_preset::none, native_preset_of(text));
      EXPECT_EQ(native_preset::none, native_preset_of_file(preset_path(p).c_str()));
    }
    const lua_forced not_forced("0");
    EXPECT_EQ(preset, native_preset_of(text));
  }
  EXPECT_EQ(native_preset::none, native_preset_of(""));
  EXPECT_EQ(native_preset::none, native_preset_of_file("/nonexistent/exact.lua"));
  EXPECT_EQ(native_preset::none, native_preset_of_file(ORVANE_SOURCE_DIR "/presets"));
}

TEST(NativePresets, NoInterpreterForAPreset) {
  task_description native;
  native.load(preset_path(0).c_str());
  native.rewind();
  EXPECT_FALSE(native.runs_lua());
  EXPECT_FALSE(native.defines("get_all_tags"));
  EXPECT_TRUE(native.defines("get_substitution_cost"));

  const lua_forced forced("1");
  task_description scripted;
  scripted.load(preset_path(0).c_str());
  EXPECT_TRUE(scripted.runs_lua());
  EXPECT_FALSE(scripted.defines("get_all_tags"));
  EXPECT_TRUE(scripted.defines("get_substitution_cost"));
}

// Random entities: references with up to three start and end candidates,
// nested, overlapping, touching or apart from the hypothesis's; types drawn
// from three.
void random_entities(std::mt19937& rng, entity_set& ref, entity_set& hyp) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int side = 0; side < 2; side++) {
    entity_set& set = side ? hyp : ref;
    std::vector<std::pair<int32_t, int32_t>> spans;
    for (int i = pick(7); i > 0; i--) {
      const int32_t s = pick(30), e = s + 1 + pick(8);
      spans.emplace_back(s, e);
    }
    std::sort(spans.begin(), spans.end());
    for (const auto& [s, e] : spans) {
      std::vector<int32_t> starts{s}, ends{e};
      if (!side && pick(3) == 0) {
        starts.push_back(s + 1 + pick(3));
        ends.insert(ends.begin(), s + 1 + pick(3));
      }
      std::sort(starts.begin(), starts.end());
      std::sort(ends.begin(), ends.end());
      add_entity(set, pick(3), starts, ends, side == 1);
    }
  }
}

// Every record of `ref` and `hyp`, and the error names in the order met.
std::string all_answers(task_description& d, const entity_set& ref0, const entity_set& hyp0) {
  vocabularies vocab;
  vocab.types = make_types({"pers", "loc", "org"});
  entity_set ref = ref0, hyp = hyp0;
  const std::string text(64, 'x');
  d.prepare(vocab.types);
  d.ask_miss_costs(ref, text.c_str(), "ref.txt", vocab);
  d.ask_miss_costs(hyp, text.c_str(), "hyp.txt", vocab);
  segment_set segs;
  build_segments(segs, ref, hyp);
  substitution_costs costs;
  d.ask_substitution_costs(ref, hyp, segs, costs, text.c_str(), "ref.txt", "hyp.txt", vocab);
  std::string out;
  for (const std::string& name : vocab.errors.names()) {
    out += name + ";";
  }
  for (int32_t r = 0; r < int32_t(ref.size()); r++) {
    out += "\nm" + show_miss(ref, r, vocab);
    for (int32_t h = 0; h < int32_t(hyp.size()); h++) {
      out += " s" + show_subst(costs, ref, r, h, vocab);
    }
  }
  for (int32_t h = 0; h < int32_t(hyp.size()); h++) {
    out += "\nm" + show_miss(hyp, h, vocab);
  }
  return out;
}

TEST(NativePresets, AnswersAsTheScripts) {
  for (int p = 0; p < native_preset_count; p++) {
    SCOPED_TRACE(preset_names[p]);
    task_description native;
    native.load(preset_path(p).c_str());
    ASSERT_FALSE(native.runs_lua());
    task_description scripted;
    {
      const lua_forced forced("1");
      scripted.load(preset_path(p).c_str());
    }
    ASSERT_TRUE(scripted.runs_lua());
    std::mt19937 rng(static_cast<unsigned>(p) + 1);
    for (int round = 0; round < 200; round++) {
      entity_set ref, hyp;
      random_entities(rng, ref, hyp);
      ASSERT_EQ(all_answers(scripted, ref, hyp), all_answers(native, ref, hyp))
          << "round " << round;
    }
  }
}

}  // namespace
