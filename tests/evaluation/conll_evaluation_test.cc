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

TEST_F(ConllEvaluation, StrictSchemesWarnOncePerColumn) {
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
  // Each column on its own. Reference: the I-X of line 1, 1 of 4 tagged
  // tokens. Hypothesis: I-Y (line 2), E-X and the I-X after it (lines 4
  // and 5), 3 of 5: past half.
  EXPECT_EQ(in.reference +
                ": Warning: 1 token of the reference column fits no entity under iob2 (first at "
                "line 1).\n" +
                in.reference +
                ": Warning: 3 tokens of the hypothesis column fit no entity under iob2 (first at "
                "line 2); --scheme conlleval reads any sequence.\n",
            warnings);
  in.scheme = chunk_scheme::iobes;
  // Reference: I-X (1), B-X I-X unclosed (4, 5), B-Z unclosed (6): all 4,
  // though the B-Z alone is IOB2's entity.
  EXPECT_FATAL(run(in), 1,
               in.reference +
                   ": Error: none of the 4 tagged tokens of the reference column fits an entity "
                   "under iobes (first at line 1); --scheme conlleval reads any sequence.\n");
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

// One file of both columns and two files of one each: the same data, the
// same verdict, whichever column fits the scheme badly.
TEST_F(ConllEvaluation, LayoutsGiveOneVerdictOfTheScheme) {
  evaluation_input two = input(costs, "a B-PER\nb I-PER\n", "a I-PER\nb I-PER\n");
  evaluation_input one = input(costs, "a B-PER I-PER\nb I-PER I-PER\n");
  for (evaluation_input* in : {&two, &one}) {
    in->scheme = chunk_scheme::iob2;
  }
  const std::string rest =
      " fits an entity under iob2 (first at line 1); --scheme conlleval reads any sequence.\n";
  EXPECT_FATAL(run(two), 1, two.hypothesis + ": Error: none of the 2 tagged tokens" + rest);
  EXPECT_FATAL(
      run(one), 1,
      one.reference + ": Error: none of the 2 tagged tokens of the hypothesis column" + rest);
  // Past half of one column's tagged tokens (not of both columns'), the
  // scheme that reads them all, though the other column fits.
  two = input(costs, "a B-X\nb I-X\nc B-Y\n", "a I-X\nb I-X\nc B-Y\n");
  one = input(costs, "a B-X I-X\nb I-X I-X\nc B-Y B-Y\n");
  std::string two_warnings, one_warnings;
  for (evaluation_input* in : {&two, &one}) {
    in->scheme = chunk_scheme::iob2;
  }
  run(two, &two_warnings);
  run(one, &one_warnings);
  const std::string warning =
      " no entity under iob2 (first at line 1); --scheme conlleval reads "
      "any sequence.\n";
  EXPECT_EQ(two.hypothesis + ": Warning: 2 tokens fit" + warning, two_warnings);
  EXPECT_EQ(one.reference + ": Warning: 2 tokens of the hypothesis column fit" + warning,
            one_warnings);
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
