// The agreement report, byte for byte.
#include <gtest/gtest.h>

#include <climits>

#include "model/vocabulary.h"
#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

// The entity counts are the sizes of the two entity sets.
std::string iag_of(const run_outcome& run, size_t count_ref, size_t count_hyp, int expected_count,
                   bool open) {
  EXPECT_EQ(count_ref, run.ref.size());
  EXPECT_EQ(count_hyp, run.hyp.size());
  return agreement_text(run, expected_count, open);
}

TEST(Agreement, WorkedExampleWithExpectedCount) {
  run_outcome run;
  build_worked_example(run);
  EXPECT_EQ(
      "Total entities: 4\n"
      "Correct: 2\n"
      "Added void/void corrects: 6\n"
      "Tag types: 2\n"
      "\n"
      "S         = 0.70000\n"
      "Pi        = 0.38462\n"
      "Kappa     = 0.55556\n"
      "F-measure = 0.57143\n",
      iag_of(run, 4, 3, 10, false));
}

TEST(Agreement, WorkedExampleOpen) {
  run_outcome run;
  build_worked_example(run);
  EXPECT_EQ(
      "Total entities: 5\n"
      "Correct: 2\n"
      "Added void/void corrects: 5\n"
      "Tag types: 2\n"
      "\n"
      "S         = 0.55000\n"
      "Pi        = 0.15493\n"
      "Kappa     = 0.41176\n"
      "F-measure = 0.57143\n",
      iag_of(run, 4, 3, 10, true));
}

// Expected counts at or below the compared items add nothing and take the
// plain formulas; the clamp must not overflow on the most negative int.
TEST(Agreement, ExpectedCountAtOrBelowTheItems) {
  const std::string plain =
      "Total entities: 4\n"
      "Correct: 2\n"
      "Added void/void corrects: 0\n"
      "Tag types: 2\n"
      "\n"
      "S         = 0.25000\n"
      "Pi        = 0.05882\n"
      "Kappa     = 0.11111\n"
      "F-measure = 0.57143\n";
  for (int expected : {0, 4, 3, -5, INT_MIN}) {
    run_outcome run;
    build_worked_example(run);
    EXPECT_EQ(plain, iag_of(run, 4, 3, expected, false)) << expected;
  }
}

// The per-type sums include types with no entity at all.
TEST(Agreement, UnusedTypesStillCountAsTypes) {
  run_outcome run;
  build_worked_example(run);
  run.vocab.types.get("org");
  run.vocab.types.get("date");
  EXPECT_EQ(
      "Total entities: 4\n"
      "Correct: 2\n"
      "Added void/void corrects: 6\n"
      "Tag types: 4\n"
      "\n"
      "S         = 0.75000\n"
      "Pi        = 0.38462\n"
      "Kappa     = 0.55556\n"
      "F-measure = 0.57143\n",
      iag_of(run, 4, 3, 10, false));
}

// No compared item: the divisions have no finite value and print as printf
// renders them; the counts stay integers.
TEST(Agreement, NoEntityAtAll) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  EXPECT_EQ(
      "Total entities: 0\n"
      "Correct: 0\n"
      "Added void/void corrects: 0\n"
      "Tag types: 2\n"
      "\n"
      "S         =    -nan\n"
      "Pi        =    -nan\n"
      "Kappa     =    -nan\n"
      "F-measure =    -nan\n",
      iag_of(run, 0, 0, 0, false));
  EXPECT_EQ(
      "Total entities: 0\n"
      "Correct: 0\n"
      "Added void/void corrects: 10\n"
      "Tag types: 2\n"
      "\n"
      "S         = 1.00000\n"
      "Pi        =    -nan\n"
      "Kappa     =    -nan\n"
      "F-measure =    -nan\n",
      iag_of(run, 0, 0, 10, true));
}

TEST(Agreement, NoEntityType) {
  const name_table types = make_types({});
  run_outcome run(types);
  EXPECT_EQ(
      "Total entities: 0\n"
      "Correct: 0\n"
      "Added void/void corrects: 3\n"
      "Tag types: 0\n"
      "\n"
      "S         =    -nan\n"
      "Pi        =    -nan\n"
      "Kappa     =    -nan\n"
      "F-measure =    -nan\n",
      iag_of(run, 0, 0, 3, false));
}

}  // namespace
