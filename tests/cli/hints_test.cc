// The lines that follow a first mistake's reply: when files look like
// token-per-line files, and what each kind of fault adds.
#include "cli/hints.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace {

TEST(Hints, WhatLooksLikeATokenPerLineFile) {
  struct {
    const char* text;
    bool looks;
  } cases[] = {
      {"Jean B-PER\nvit O\n", true},
      {"\n \t\r\n-DOCSTART- -X- -X- O\n\nEU NNP B-ORG\n", true},
      {"EU NNP I-ORG B-ORG\n", true},
      {"Anna\tU-PER\n", true},
      {"Jean O", true},  // no line end
      {"Jean B-PER O\r\n", true},
      {"Jean\n", false},                               // one column
      {"Jean B\n", false},                             // a typeless tag looks like any word
      {"Jean X-PER\n", false},                         // no prefix
      {"Jean PER\n", false},                           // no tag
      {"<pers>Anna</pers> met O\nBob B-PER\n", true},  // only the first line counts
      {"<pers>Anna</pers> met <pers>Bob</pers>\nJean B-PER\n", false},
      {"", false},
      {"\n\n  \n", false},
  };
  for (const auto& c : cases) {
    const std::string path = temp_file(c.text);
    EXPECT_EQ(c.looks, looks_token_per_line(path)) << c.text;
    remove(path.c_str());
  }
  EXPECT_FALSE(looks_token_per_line("/nonexistent/file"));
  EXPECT_FALSE(looks_token_per_line("/"));
  // A FIFO with no writer is no file to read: the look must not block.
  char folder[] = "/tmp/orvane-hints-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(folder));
  const std::string fifo = std::string(folder) + "/fifo";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  EXPECT_FALSE(looks_token_per_line(fifo));
  remove(fifo.c_str());
  rmdir(folder);
}

TEST(Hints, ShellWords) {
  EXPECT_EQ("data.conll", shell_word("data.conll"));
  EXPECT_EQ("'my data.conll'", shell_word("my data.conll"));
  EXPECT_EQ("'it'\\''s'", shell_word("it's"));
  EXPECT_EQ("''", shell_word(""));
  EXPECT_EQ("'a\\0x1bb'", shell_word("a\x1b"
                                     "b"));
}

class FaultHints : public ::testing::Test {
 protected:
  void SetUp() override {
    conll = temp_file("Jean B-PER\n");
    text = temp_file("<pers>Jean</pers>\n");
  }
  void TearDown() override {
    remove(conll.c_str());
    remove(text.c_str());
  }
  std::string conll, text;
};

TEST_F(FaultHints, OneTokenPerLineFileWithoutConll) {
  run_options options;
  EXPECT_EQ(conll +
                " looks like a token-per-line file: with --conll, one file holds both tag "
                "columns (orvane --conll exact " +
                conll + ").\n",
            usage_hint(options, {"exact", conll}, "orvane"));
  EXPECT_EQ("", usage_hint(options, {"exact", text}, "orvane"));
  EXPECT_EQ("", usage_hint(options, {"exact"}, "orvane"));
  EXPECT_EQ("", usage_hint(options, {"exact", conll, conll, conll}, "orvane"));
  options.input.conll = true;
  EXPECT_EQ("", usage_hint(options, {conll}, "orvane"));
}

TEST_F(FaultHints, EachMistakeItsLine) {
  run_options options;
  options.input.description = "task.lua";
  options.input.reference = conll;
  options.input.hypothesis = conll;
  description_choice chosen{"task.lua", "task.lua", "", false, true};
  EXPECT_EQ("The documents look like token-per-line files: add --conll (orvane --conll task.lua " +
                conll + " " + conll + "); one such file may also hold both tag columns.\n",
            fault_hint(options, chosen, 1, "orvane"));
  // Not for a file that cannot be opened, nor with --conll, nor for text.
  EXPECT_EQ("", fault_hint(options, chosen, 2, "orvane"));
  options.input.conll = true;
  EXPECT_EQ("", fault_hint(options, chosen, 1, "orvane"));
  options.input.conll = false;
  options.input.reference = options.input.hypothesis = text;
  EXPECT_EQ("", fault_hint(options, chosen, 1, "orvane"));

  // A folder without --corpus.
  options.input.hypothesis = "/";
  EXPECT_EQ("Use --corpus for folders of documents.\n", fault_hint(options, chosen, 2, "orvane"));

  // A file with --corpus.
  options.corpus = true;
  options.corpus_run.reference_dir = "/";
  options.corpus_run.hypothesis_dir = text;
  EXPECT_EQ("--corpus takes folders of documents (with --conll, token-per-line files too).\n",
            fault_hint(options, chosen, 2, "orvane"));
  options.input.conll = true;
  EXPECT_EQ("--corpus takes two folders, or one or two token-per-line files.\n",
            fault_hint(options, chosen, 2, "orvane"));
  options.corpus_run.hypothesis_dir = "/";
  EXPECT_EQ("", fault_hint(options, chosen, 2, "orvane"));

  // A name that is no file and no preset, whatever else is wrong.
  chosen = description_choice{"exakt", "exakt", "", false, false};
  EXPECT_EQ(
      "exakt is neither a file nor a preset; the presets are boundary, exact, partial, ser, "
      "type. Did you mean exact?\n",
      fault_hint(options, chosen, 1, "orvane"));
  chosen = description_choice{"mine", "mine", "", false, false};
  EXPECT_EQ(
      "mine is neither a file nor a preset; the presets are boundary, exact, partial, ser, "
      "type\n",
      fault_hint(options, chosen, 1, "orvane"));
  // One that ends with ".lua" was meant as a file, which the message says is missing.
  chosen = description_choice{"exakt.lua", "exakt.lua", "", false, false};
  EXPECT_EQ("", fault_hint(options, chosen, 1, "orvane"));
}

TEST(PresetTypes, APresetNeedsConllOrTypes) {
  run_options options;
  const description_choice preset{"exact", "/p/exact.lua", "", true, true};
  EXPECT_FATAL(check_preset_types(options, preset), 1,
               "Error: the preset exact declares no entity types: add --conll if the documents "
               "are token-per-line files (their tags give the types), or name the types with "
               "--types (--types PER,LOC,ORG).\n");
  // That fault says it all: no hint follows.
  EXPECT_EQ("", fault_hint(options, preset, 1, "orvane"));
  options.input.types = {"PER"};
  check_preset_types(options, preset);
  options.input.types.clear();
  options.input.conll = true;
  check_preset_types(options, preset);
  options.input.conll = false;
  check_preset_types(options, description_choice{"mine", "mine.lua", "", false, true});
}

}  // namespace
