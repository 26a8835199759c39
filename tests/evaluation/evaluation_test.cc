// Evaluations own their state: several in one process, in turn or side by
// side, give what separate processes give, and leave nothing behind.
#include "evaluation/evaluation.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <thread>
#include <vector>

#include "description/description.h"
#include "reports/html_report.h"
#include "reports/report_plan.h"
#include "support/test_support.h"

#ifdef __SANITIZE_ADDRESS__
// The sanitizer's allocator keeps the count (not every compiler ships the
// header that declares it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

const std::string e2e = ORVANE_SOURCE_DIR "/tests/e2e/";

// One end-to-end case, run in this process: its files (relative to the
// end-to-end folder), what the command line asked for, and what the separate
// process gave.
struct e2e_case {
  std::string name;
  std::string description, reference, hypothesis;
  bool aref;
  report_options reports;

  std::string expected_out() const { return file_text(e2e + "cases/" + name + "/stdout"); }
  std::string expected_err() const { return file_text(e2e + "cases/" + name + "/stderr"); }
};

report_options asking(bool summary, bool details, bool correct, bool agreement, int expected) {
  report_options r;
  r.summary = summary;
  r.details = details || correct;
  r.details_correct = correct;
  r.agreement = agreement;
  r.expected_count = expected;
  return r;
}

const std::vector<e2e_case>& cases() {
  static const std::vector<e2e_case> all = {
      {"shipped_example", "fixtures/shipped_example/task.lua",
       "fixtures/shipped_example/reference.txt", "fixtures/shipped_example/hypothesis.txt", false,
       asking(true, true, false, true, 20)},
      {"summary_worked_example", "fixtures/pers_loc/task.lua", "fixtures/pers_loc/ref.txt",
       "fixtures/pers_loc/hyp.txt", false, asking(true, false, false, false, 0)},
      {"detail_worked_example", "fixtures/aref_alternatives/task.lua",
       "fixtures/aref_alternatives/ref.aref", "fixtures/aref_alternatives/hyp.txt", true,
       asking(false, true, false, false, 0)},
      {"agreement_expected_10", "fixtures/pers_loc/task.lua", "fixtures/pers_loc/ref.txt",
       "fixtures/pers_loc/hyp.txt", false, asking(false, false, false, true, 10)},
      {"fault_mismatch", "fixtures/pers_loc/task.lua", "cases/fault_mismatch/ref.txt",
       "cases/fault_mismatch/hyp.txt", false, asking(true, false, false, false, 0)},
      // Costs from math.random: each evaluation draws its own sequence.
      {"random_costs", "cases/random_costs/task.lua", "fixtures/pers_loc/ref.txt",
       "fixtures/pers_loc/hyp.txt", false, asking(false, true, true, true, 5)},
  };
  return all;
}

struct outcome_text {
  int status;
  std::string out;
  std::string err;
};

// Removes every occurrence of `what` from `text`.
void erase_all(std::string& text, const std::string& what) {
  size_t at;
  while ((at = text.find(what)) != std::string::npos) {
    text.erase(at, what.size());
  }
}

// The evaluation and its reports as the program runs them. The separate
// process ran in the folder of its files, so their folders are taken out of
// what it writes.
outcome_text run_case(const e2e_case& c) {
  evaluation_input input;
  input.description = e2e + c.description;
  input.reference = e2e + c.reference;
  input.hypothesis = e2e + c.hypothesis;
  input.reference_is_aref = c.aref;
  outcome_text result{0, "", ""};
  result.out = capture([&](FILE* out) {
    result.err = capture([&](FILE* err) {
      result.status = run_reporting_faults(err, [&] {
        evaluation ev(input);
        ev.run();
        write_pair_reports(out, ev.result(), c.reports);
      });
    });
  });
  for (const std::string* name : {&input.description, &input.reference, &input.hypothesis}) {
    const std::string folder = name->substr(0, name->rfind('/') + 1);
    erase_all(result.out, folder);
    erase_all(result.err, folder);
  }
  return result;
}

void expect_as_separate_process(const e2e_case& c) {
  outcome_text got = run_case(c);
  EXPECT_EQ(c.expected_out(), got.out) << c.name;
  EXPECT_EQ(c.expected_err(), got.err) << c.name;
  EXPECT_EQ(c.expected_err().empty() ? 0 : 1, got.status) << c.name;
}

TEST(Evaluation, InTurnAsSeparateProcesses) {
  // Each case twice, a fault in between: nothing of one evaluation (types,
  // error names, documents) reaches the next.
  for (int round = 0; round < 2; round++) {
    for (const e2e_case& c : cases()) {
      expect_as_separate_process(c);
    }
  }
}

TEST(Evaluation, SideBySideOnThreads) {
  std::vector<std::vector<outcome_text>> results(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < results.size(); t++) {
    threads.emplace_back([t, &results] {
      for (int round = 0; round < 3; round++) {
        // Each thread takes the cases in another order.
        for (size_t i = 0; i < cases().size(); i++) {
          results[t].push_back(run_case(cases()[(i + t) % cases().size()]));
        }
      }
    });
  }
  for (std::thread& th : threads) {
    th.join();
  }
  for (size_t t = 0; t < results.size(); t++) {
    for (size_t k = 0; k < results[t].size(); k++) {
      const e2e_case& c = cases()[(k % cases().size() + t) % cases().size()];
      EXPECT_EQ(c.expected_out(), results[t][k].out) << c.name << " on thread " << t;
      EXPECT_EQ(c.expected_err(), results[t][k].err) << c.name << " on thread " << t;
      EXPECT_EQ(c.expected_err().empty() ? 0 : 1, results[t][k].status) << c.name;
    }
  }
}

// One interpreter lent to evaluation after evaluation gives what a fresh one
// gives each time: math.random draws from where the script left it, and long
// entity values (which the tables keep as Lua strings
// from call to call) never carry over from one pair to the next, even where
// the entities of two pairs share their addresses.
TEST(Evaluation, ABorrowedDescriptionServesPairAfterPair) {
  const std::string task = temp_file(R"(
function get_all_tags() return { "pers", "loc" } end
math.randomseed(7)
local first = math.random(100)
function get_miss_cost(e) return #e.value % 7 + (e.value:byte(1) % 3) + math.random(3) + first, "miss" end
function get_substitution_cost(r, h)
  if r.value == h.value and r.type == h.type then return 0 end
  return (#r.value + r.value:byte(-1)) % 5 / 4, "other"
end
)");
  std::vector<std::string> files;
  task_description shared;
  shared.load(task.c_str());
  for (int pair = 0; pair < 12; pair++) {
    // Entities longer than the tables' cache threshold, different each time.
    const std::string word(300 + pair * 7, static_cast<char>('a' + pair));
    const std::string ref = "<pers>" + word + "</pers> x <loc>" + word + "</loc>\n";
    // One entity fewer: a miss, whose cost draws on the generator, shows.
    const std::string hyp = "<loc>" + word + "</loc> x " + word + "\n";
    files.push_back(temp_file(ref));
    files.push_back(temp_file(hyp));
    evaluation_input input;
    input.description = task;
    input.reference = files[files.size() - 2];
    input.hypothesis = files.back();
    report_options reports;
    reports.summary = reports.details = reports.details_correct = true;
    evaluation own(input);
    own.run();
    evaluation borrowing(input, stderr, &shared);
    borrowing.run();
    EXPECT_EQ(capture([&](FILE* out) { write_pair_reports(out, own.result(), reports); }),
              capture([&](FILE* out) { write_pair_reports(out, borrowing.result(), reports); }))
        << "pair " << pair;
  }
  for (const std::string& f : files) {
    remove(f.c_str());
  }
  remove(task.c_str());
}

size_t allocated_bytes() {
#ifdef __SANITIZE_ADDRESS__
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

TEST(Evaluation, FreesWhatItOwns) {
#ifndef __SANITIZE_ADDRESS__
  // malloc counts the blocks its per-thread caches hold as in use, and a
  // corpus run's threads leave some there: only the sanitizer's count of
  // live blocks is exact (make check).
  GTEST_SKIP() << "the count of live blocks is exact under AddressSanitizer only";
#endif
  // The first runs settle what the process allocates once (stream buffers,
  // the test framework's records); from then on every evaluation, complete
  // or ended by a fault, gives back all it took.
  for (const e2e_case& c : cases()) {
    run_case(c);
  }
  const size_t before = allocated_bytes();
  for (int round = 0; round < 5; round++) {
    for (const e2e_case& c : cases()) {
      run_case(c);
    }
  }
  EXPECT_EQ(before, allocated_bytes());
}

TEST(Evaluation, ResultCountsBothSides) {
  const e2e_case& c = cases()[1];
  evaluation_input input;
  input.description = e2e + c.description;
  input.reference = e2e + c.reference;
  input.hypothesis = e2e + c.hypothesis;
  evaluation ev(input);
  ev.run();
  evaluated_pair pair = ev.result();
  EXPECT_EQ(4, pair.reference_count());
  EXPECT_EQ(3, pair.hypothesis_count());
  EXPECT_EQ(e2e + c.reference, pair.reference_name);
  EXPECT_EQ(2, pair.vocab.types.size());
}

// On the page, a deletion names the hypothesis entities it overlaps (the
// shipped example's "director of Acme Robotics" holds the hypothesis's
// "Acme Robotics"), by their place in the page's list, and no pairing names
// any.
TEST(Evaluation, ThePageNamesWhatAMissOverlaps) {
  const std::string examples = ORVANE_SOURCE_DIR "/examples/";
  evaluation_input input;
  input.description = examples + "task.lua";
  input.reference = examples + "reference.txt";
  input.hypothesis = examples + "hypothesis.txt";
  evaluation ev(input);
  ev.run();
  const html_document page = html_document_of(ev.result());
  rapidjson::Document data;
  data.Parse(page.data.c_str());
  ASSERT_FALSE(data.HasParseError());
  const auto& ents = data["entities"];
  const auto& outs = data["outcomes"];
  auto text_of = [&](int e) {
    const std::string text = data["text"].GetString();
    return text.substr(ents[e][0].GetUint(), ents[e][1].GetUint() - ents[e][0].GetUint());
  };
  int named = 0;
  for (const auto& o : outs.GetArray()) {
    if (o.Size() < 6) {
      continue;
    }
    named++;
    EXPECT_EQ(1, o[0].GetInt());  // a deletion
    EXPECT_EQ("director of Acme Robotics", text_of(o[3].GetInt()));
    ASSERT_EQ(1u, o[5].Size());
    const int other = o[5][0].GetInt();
    EXPECT_EQ(1, ents[other][2].GetInt());  // of the hypothesis
    EXPECT_EQ("Acme Robotics", text_of(other));
  }
  EXPECT_EQ(1, named);
}

}  // namespace
