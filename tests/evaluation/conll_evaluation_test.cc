// Evaluations of token-per-line documents: where the entity types come
// from, the warnings of strict schemes, and the two layouts agreeing.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "evaluation/evaluation.h"
#include "support/test_support.h"

namespace {

const char* const costs = R"(
function get_miss_cost(e) return 1, "miss" end
function get_substitution_cost(r, h)
  if r.type == h.type and r.spos == h.spos and r.epos == h.epos then return 0 end
  return 3, "other"
end
)";

// Temporary files, removed at the end of the test.
class ConllEvaluation : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& f : files) {
      remove(f.c_str());
    }
  }
  std::string file(const std::string& content) {
    files.push_back(temp_file(content));
    return files.back();
  }
  evaluation_input input(const std::string& description, const std::string& ref,
                         const std::string& hyp = "") {
    evaluation_input in;
    in.description = file(description);
    in.reference = file(ref);
    in.one_file = hyp.empty();
    if (!in.one_file) {
      in.hypothesis = file(hyp);
    }
    in.conll = true;
    return in;
  }
  // Runs the evaluation; returns the types in order and what went to the
  // warning stream.
  std::vector<std::string> run(const evaluation_input& in, std::string* warnings = nullptr) {
    std::unique_ptr<FILE, int (*)(FILE*)> w(tmpfile(), fclose);
    evaluation ev(in, w.get());
    ev.run();
    if (warnings) {
      *warnings = std::string(static_cast<size_t>(ftell(w.get())), '\0');
      rewind(w.get());
      EXPECT_EQ(warnings->size(), fread(&(*warnings)[0], 1, warnings->size(), w.get()));
    }
    return ev.result().vocab.types.names();
  }
  std::vector<std::string> files;
};

TEST_F(ConllEvaluation, DeclaredTypesFirstThenReferenceThenHypothesis) {
  const std::string declared = std::string(costs) + "function get_all_tags() return {'LOC'} end";
  const std::string data = "a B-ORG B-PER\nb O B-LOC\nc B-MISC O\n";
  EXPECT_EQ((std::vector<std::string>{"LOC", "ORG", "MISC", "PER"}), run(input(declared, data)));
  // Without get_all_tags the documents name them all.
  EXPECT_EQ((std::vector<std::string>{"ORG", "MISC", "PER", "LOC"}), run(input(costs, data)));
  // A type whose tags all fit no entity under a strict scheme still counts,
  // in its place: the types do not depend on the scheme.
  evaluation_input strict = input(costs, "a I-Q B-Z\nb B-Y B-Y\nc B-X B-X\n");
  strict.scheme = chunk_scheme::iob2;
  EXPECT_EQ((std::vector<std::string>{"Q", "Y", "X", "Z"}), run(strict));
  // Two files: the reference's first, though the hypothesis is read first.
  EXPECT_EQ((std::vector<std::string>{"ORG", "MISC", "PER", "LOC"}),
            run(input(costs, "a B-ORG\nb O\nc B-MISC\n", "a B-PER\nb B-LOC\nc O\n")));
}

TEST_F(ConllEvaluation, TypesOptionReplacesGetAllTags) {
  // get_all_tags would fail the run if it were called.
  evaluation_input in =
      input(std::string(costs) + "function get_all_tags() error('called') end", "a B-X B-Y\n");
  in.types = {"Y", "Z"};
  EXPECT_EQ((std::vector<std::string>{"Y", "Z", "X"}), run(in));
  // Other formats take them as declared, and tags of other types stay text.
  const std::string text = file("<Y>a</Y> <X>b</X>");
  evaluation_input plain;
  plain.description = file(costs);
  plain.reference = text;
  plain.hypothesis = text;
  plain.types = {"Y"};
  evaluation ev(plain, nullptr);
  ev.run();
  EXPECT_EQ(1, ev.result().reference_count());
  EXPECT_EQ((std::vector<std::string>{"Y"}), ev.result().vocab.types.names());
}

TEST_F(ConllEvaluation, StrictSchemesWarnOncePerFile) {
  const std::string data = "a I-X B-X\nb O I-Y\n\nc B-X E-X\nd I-X I-X\ne B-Z B-Z\n";
  std::string warnings;
  evaluation_input in = input(costs, data);
  run(in, &warnings);
  // conlleval's rules take every tag; the E- tag is BIOES's.
  EXPECT_EQ(in.reference +
                ": Warning: BIOES tags (S-, E-, U-, L-) read by conlleval's rules, which here ran "
                "no entity on into the next; --scheme iobes reads them as BIOES.\n",
            warnings);
  in.scheme = chunk_scheme::iob2;
  run(in, &warnings);
  // Reference: the I-X of line 1. Hypothesis: I-Y (line 2), E-X and the
  // I-X after it (lines 4 and 5): 4 of 9 tagged tokens.
  EXPECT_EQ(in.reference + ": Warning: 4 tokens fit no entity under iob2 (first at line 1).\n",
            warnings);
  in.scheme = chunk_scheme::iobes;
  // Reference: I-X (1), B-X I-X unclosed (4, 5), B-Z unclosed (6).
  // Hypothesis: B-X then I-Y (1, 2), E-X opening nothing (4), I-X (5), B-Z
  // (6): all 9, though each B-Z alone is IOB2's entity.
  EXPECT_FATAL(run(in), 1,
               in.reference +
                   ": Error: none of the 9 tagged tokens fits an entity under iobes (first at line "
                   "1); --scheme conlleval reads any sequence.\n");
  // Two files: one warning each, reference first; past half of the tagged
  // tokens, the scheme that reads them all.
  evaluation_input two = input(costs, "a B-X\nb I-X\nc S-Y\nd S-Y\n", "a I-X\nb B-X\nc S-Y\nd O\n");
  two.scheme = chunk_scheme::iobes;
  run(two, &warnings);
  EXPECT_EQ(two.reference + ": Warning: 2 tokens fit no entity under iobes (first at line 1).\n" +
                two.hypothesis +
                ": Warning: 2 tokens fit no entity under iobes (first at line 1); --scheme "
                "conlleval reads any sequence.\n",
            warnings);
  two = input(costs, "a B-X\nb I-X\nc O\n", "a B-X\nb O\nc S-Y\n");
  two.scheme = chunk_scheme::iob2;
  run(two, &warnings);
  EXPECT_EQ(two.hypothesis + ": Warning: 1 token fits no entity under iob2 (first at line 3).\n",
            warnings);
}

TEST_F(ConllEvaluation, LayoutsAgree) {
  const std::string one = "-DOCSTART- O O\n\nJean B-PER B-PER\nDupont I-PER O\nvit O O\n";
  evaluation ev1(input(costs, one), nullptr);
  ev1.run();
  evaluation ev2(input(costs, "Jean B-PER\nDupont I-PER\nvit O\n",
                       "Jean\tB-PER\r\nDupont\tO\r\n\r\nvit\tO\r\n"),
                 nullptr);
  ev2.run();
  for (evaluation* ev : {&ev1, &ev2}) {
    const evaluated_pair r = ev->result();
    ASSERT_EQ(1, r.reference_count());
    ASSERT_EQ(1, r.hypothesis_count());
    EXPECT_EQ(std::string("Jean Dupont vit"), std::string(r.text));
  }
  // The entities' lines are those of their first tokens in their files.
  EXPECT_EQ(3, ev1.result().ref[0].line);
  EXPECT_EQ(1, ev2.result().ref[0].line);
  // With one file, both documents are named after it.
  EXPECT_STREQ(ev1.result().reference_name, ev1.result().hypothesis_name);
}

}  // namespace
