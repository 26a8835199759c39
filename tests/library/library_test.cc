// The library face: its results are the command line's, on several threads
// at once; its ways of giving documents and descriptions agree; its faults
// are exceptions with the command line's message and status.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "orvane/orvane.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string examples = ORVANE_SOURCE_DIR "/examples/";

// What the program prints for these arguments, and its status.
std::string command_output(const std::string& args, int* status = nullptr) {
  FILE* p = popen((std::string(ORVANE_BINARY) + " " + args + " 2>/dev/null").c_str(), "r");
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) {
    out.append(buffer, n);
  }
  const int st = pclose(p);
  if (status) {
    *status = WEXITSTATUS(st);
  }
  return out;
}

// The example's hypothesis with each entity kept, dropped or given another
// type, as `seed` draws. Its entities do not nest.
std::string mutated_hypothesis(unsigned seed) {
  static const char* types[] = {"pers", "loc", "org", "time"};
  const std::string text = file_text(examples + "hypothesis.txt");
  std::mt19937 rng(seed);
  std::string out;
  size_t at = 0;
  for (size_t open; (open = text.find('<', at)) != std::string::npos;) {
    const size_t name_end = text.find('>', open);
    const std::string type = text.substr(open + 1, name_end - open - 1);
    const size_t close = text.find("</" + type + ">", name_end);
    const std::string inner = text.substr(name_end + 1, close - name_end - 1);
    out += text.substr(at, open - at);
    const unsigned draw = rng() % 3;
    const std::string kept = draw == 2 ? types[rng() % 4] : type;
    out += draw == 0 ? inner : "<" + kept + ">" + inner + "</" + kept + ">";
    at = close + type.size() + 3;
  }
  return out + text.substr(at);
}

TEST(Library, EightPairsOnFourThreadsGiveTheCommandLinesReports) {
  const int pairs = 8;
  std::vector<std::string> files;
  for (int i = 0; i < pairs; i++) {
    files.push_back(temp_file(mutated_hypothesis(static_cast<unsigned>(i))));
  }
  orvane::options options;
  options.task = orvane::description::file(examples + "task.lua");
  orvane::report_choice all;
  all.details = all.with_corrects = all.confusion = all.agreement = true;
  all.expected_count = 40;
  std::vector<std::string> text(pairs), json(pairs);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++) {
    threads.emplace_back([&, t] {
      for (int i = t; i < pairs; i += 4) {
        const orvane::result r =
            orvane::evaluate(orvane::document::file(examples + "reference.txt"),
                             orvane::document::file(files[static_cast<size_t>(i)]), options);
        text[static_cast<size_t>(i)] = r.text(all);
        json[static_cast<size_t>(i)] = r.json(all);
      }
    });
  }
  for (std::thread& t : threads) {
    t.join();
  }
  for (int i = 0; i < pairs; i++) {
    const std::string args = "-s -c --confusion -i 40 " + examples + "task.lua " + examples +
                             "reference.txt " + files[static_cast<size_t>(i)];
    EXPECT_EQ(command_output(args), text[static_cast<size_t>(i)]) << "pair " << i;
    EXPECT_EQ(command_output("--json " + args), json[static_cast<size_t>(i)]) << "pair " << i;
    remove(files[static_cast<size_t>(i)].c_str());
  }
}

TEST(Library, ValuesMatchTheReports) {
  orvane::options options;
  options.task = orvane::description::file(examples + "task.lua");
  const orvane::result r =
      orvane::evaluate(orvane::document::file(examples + "reference.txt"),
                       orvane::document::file(examples + "hypothesis.txt"), options);
  int errors = 0, corrects = 0;
  const std::vector<orvane::outcome_value> outcomes = r.outcomes();
  for (const orvane::outcome_value& o : outcomes) {
    (o.kind == orvane::outcome_kind::correct ? corrects : errors)++;
    EXPECT_EQ(o.kind == orvane::outcome_kind::insertion, !o.reference);
    EXPECT_EQ(o.kind == orvane::outcome_kind::deletion, !o.hypothesis);
    EXPECT_EQ(o.kind == orvane::outcome_kind::correct, o.errors.empty());
  }
  EXPECT_EQ(r.summary.corrects, corrects);
  EXPECT_EQ(r.summary.total_errors, errors);
  int cells = 0;
  for (const orvane::confusion_entry& c : r.confusion()) {
    cells += c.count;
  }
  EXPECT_EQ(corrects + errors, cells);
  // The first outcome: "Jean Dupont", paired and correct, at its place in
  // the bare text.
  const orvane::outcome_value& first = outcomes.front();
  ASSERT_TRUE(first.reference && first.hypothesis);
  EXPECT_EQ("Jean Dupont", first.reference->text);
  EXPECT_EQ(0, first.reference->start);
  EXPECT_EQ(11, first.reference->end);
  // The items the campaign expected are made up with void/void corrects.
  const orvane::agreement_report a = r.agreement(40);
  EXPECT_DOUBLE_EQ(40 - a.total_items, a.void_void_corrects);
}

TEST(Library, DocumentsAndDescriptionsGivenEveryWay) {
  const std::string ref = file_text(examples + "reference.txt");
  const std::string hyp = file_text(examples + "hypothesis.txt");
  orvane::options from_file;
  from_file.task = orvane::description::file(examples + "task.lua");
  orvane::options from_source;
  from_source.task = orvane::description::source(file_text(examples + "task.lua"), "task.lua");
  const std::string files =
      orvane::evaluate(orvane::document::file(examples + "reference.txt"),
                       orvane::document::file(examples + "hypothesis.txt"), from_file)
          .text();
  const std::string bytes =
      orvane::evaluate(orvane::document::text("reference.txt", ref),
                       orvane::document::text("hypothesis.txt", hyp), from_source)
          .text();
  EXPECT_EQ(files, bytes);

  // A preset by name, with the types it does not declare.
  orvane::options preset;
  preset.task = orvane::description::preset("exact");
  preset.types = {"pers", "loc", "org", "func", "time", "amount", "prod"};
  const orvane::result p =
      orvane::evaluate(orvane::document::text("r", ref), orvane::document::text("h", hyp), preset);
  EXPECT_EQ(9, p.summary.reference_entities);
  EXPECT_THROW(
      {
        preset.task = orvane::description::preset("exakt");
        orvane::evaluate(orvane::document::text("r", ref), orvane::document::text("h", hyp),
                         preset);
      },
      orvane::error);

  // Token-per-line documents, two tag columns in one file each.
  orvane::options conll;
  conll.task = orvane::description::preset("exact");
  conll.reference_format = orvane::format::token_per_line;
  conll.scheme = "BIO";
  const orvane::result c = orvane::evaluate(
      orvane::document::text("ref.conll", "Jean B-PER\nDupont I-PER\nwent O\nto O\nParis B-LOC\n"),
      orvane::document::text("hyp.conll", "Jean B-PER\nDupont O\nwent O\nto O\nParis B-LOC\n"),
      conll);
  EXPECT_EQ(2, c.summary.reference_entities);
  EXPECT_EQ(1, c.summary.corrects);
  EXPECT_EQ(1, c.summary.substitutions);
  // The warnings the command line writes to standard error.
  const orvane::result w = orvane::evaluate(
      orvane::document::text("ref.conll", "Jean B-PER\nDupont I-PER\nwent O\n"),
      orvane::document::text("hyp.conll", "Jean B-PER\nDupont O\nwent I-LOC\n"), conll);
  EXPECT_EQ("hyp.conll: Warning: 1 token fits no entity under iob2 (first at line 3).\n",
            w.warnings);
}

TEST(Library, FaultsAreExceptionsWithTheCommandLinesMessageAndStatus) {
  struct fault_case {
    orvane::document ref;
    orvane::description task;
    int status;
    std::string message;
  };
  const orvane::document hyp = orvane::document::text("hyp.txt", "a b");
  const std::vector<fault_case> cases = {
      {orvane::document::text("ref.txt", "<pers>a b"),
       orvane::description::source("function get_all_tags() return {'pers'} end", "t.lua"), 1,
       "ref.txt: Missing closing tag for pers (line 1) at end of file."},
      {orvane::document::file("/nonexistent/ref.txt"),
       orvane::description::source("function get_all_tags() return {} end", "t.lua"), 2,
       "Open /nonexistent/ref.txt: No such file or directory"},
      {orvane::document::text("ref.txt", "a b"), orvane::description::source("x = ", "t.lua"), 1,
       "Error loading t.lua: t.lua:1: unexpected symbol near <eof>"},
      {orvane::document::text("ref.txt", "a b"), orvane::description::preset("my_task"), 1,
       "Error: my_task is not a preset (boundary, exact, partial, ser, type)."},
      {orvane::document::text("ref.txt", "a b"), orvane::description::preset("Exakt"), 1,
       "Error: Exakt is not a preset (boundary, exact, partial, ser, type). Did you mean exact?"},
  };
  EXPECT_THROW(orvane::result().text(), orvane::error);
  for (const fault_case& c : cases) {
    orvane::options o;
    o.task = c.task;
    try {
      orvane::evaluate(c.ref, hyp, o);
      ADD_FAILURE() << "no fault: " << c.message;
    } catch (const orvane::error& e) {
      EXPECT_EQ(c.message, e.what());
      EXPECT_EQ(c.status, e.status()) << c.message;
    }
  }
}

TEST(Library, AStopSetFromAnotherThreadEndsTheEvaluation) {
  orvane::options o;
  o.task = orvane::description::source(
      "function get_all_tags() return {'pers'} end\n"
      "function get_miss_cost(e) while true do end end\n"
      "function get_substitution_cost(r, h) return 0 end\n",
      "loop.lua");
  std::atomic<bool> stop{false};
  o.stop = &stop;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
  });
  EXPECT_THROW(orvane::evaluate(orvane::document::text("r", "<pers>a</pers>"),
                                orvane::document::text("h", "a"), o),
               orvane::error);
  stopper.join();
  // Set before the search, it ends the search at its first segment.
  o.task = orvane::description::source(
      "function get_all_tags() return {'pers'} end\n"
      "function get_miss_cost(e) return 1, 'miss' end\n"
      "function get_substitution_cost(r, h) return 0 end\n",
      "t.lua");
  try {
    orvane::evaluate(orvane::document::text("r", "<pers>a</pers>"),
                     orvane::document::text("h", "<pers>a</pers>"), o);
    ADD_FAILURE() << "not stopped";
  } catch (const orvane::error& e) {
    EXPECT_STREQ("Error: the evaluation was interrupted.", e.what());
  }
}

// A corpus of mutated hypotheses: a folder of references, and two
// systems' folders.
struct corpus_folders {
  std::string root;
  std::string ref, hyp, other;

  explicit corpus_folders(int pairs) {
    char pattern[] = "/tmp/orvane-library-XXXXXX";
    root = mkdtemp(pattern);
    ref = root + "/ref";
    hyp = root + "/hyp";
    other = root + "/other";
    for (const std::string& dir : {ref, hyp, other}) {
      fs::create_directory(dir);
    }
    for (int i = 0; i < pairs; i++) {
      const std::string file = "/d" + std::to_string(i) + ".txt";
      std::ofstream(ref + file) << file_text(examples + "reference.txt");
      std::ofstream(hyp + file) << mutated_hypothesis(static_cast<unsigned>(i));
      std::ofstream(other + file) << mutated_hypothesis(static_cast<unsigned>(100 + i));
    }
  }
  ~corpus_folders() { fs::remove_all(root); }
};

TEST(Library, ACorpusOnThreadsGivesTheCommandLinesReports) {
  corpus_folders f(12);
  orvane::options o;
  o.task = orvane::description::file(examples + "task.lua");
  const orvane::corpus c = orvane::corpus::folders(f.ref, f.hyp);
  ASSERT_EQ(12u, c.pairs.size());
  const orvane::corpus_result one = orvane::evaluate_corpus(c, o, 1);
  const orvane::corpus_result four = orvane::evaluate_corpus(c, o, 4);
  orvane::report_choice all;
  all.details = all.with_corrects = all.confusion = all.agreement = true;
  all.expected_count = 500;
  orvane::corpus_choice sections;
  sections.per_document = true;
  sections.bootstrap = 200;
  sections.seed = 7;
  const std::string args =
      "--corpus -s -c --confusion -i 500 --per-document --bootstrap 200 "
      "--seed 7 --quiet " +
      examples + "task.lua " + f.ref + " " + f.hyp;
  EXPECT_EQ(command_output(args), four.text(all, sections));
  EXPECT_EQ(command_output("--json " + args), four.json(all, sections));
  EXPECT_EQ(one.json(all, sections), four.json(all, sections));
  EXPECT_EQ(12u, four.documents().size());
  int corrects = 0;
  for (const orvane::result& r : four.documents()) {
    corrects += r.summary.corrects;
  }
  EXPECT_EQ(four.summary.corrects, corrects);
  const orvane::bootstrap_report b = four.bootstrap(200, 7);
  EXPECT_TRUE(b.f_measure.defined);
  EXPECT_LE(b.f_measure.low, b.f_measure.high);

  const orvane::corpus_result other =
      orvane::evaluate_corpus(orvane::corpus::folders(f.ref, f.other), o, 2);
  const orvane::comparison cmp = orvane::compare(four, other, 300, 3);
  const std::string compare_args = "--corpus --compare " + f.other + " --bootstrap 300 --seed 3 " +
                                   examples + "task.lua " + f.ref + " " + f.hyp;
  EXPECT_EQ(command_output(compare_args), cmp.text);
  EXPECT_EQ(command_output("--json " + compare_args), cmp.json);
  const orvane::comparison typed = orvane::compare(four, other, 300, 3, nullptr, true);
  EXPECT_EQ(command_output("--table " + compare_args), typed.text);
  EXPECT_FALSE(typed.values.per_type.empty());
}

TEST(Library, ACorpusFaultNamesItsPairAfterTheWarningsBeforeIt) {
  orvane::options o;
  o.task = orvane::description::preset("exact");
  o.reference_format = orvane::format::token_per_line;
  o.scheme = "iob2";  // the good pair's I-LOC is warned about
  orvane::corpus c;
  const orvane::document good = orvane::document::text("good.conll", "a B-PER\nb I-LOC\n");
  c.pairs.emplace_back(good, good);
  c.pairs.emplace_back(orvane::document::text("bad.conll", "a B-PER\n"),
                       orvane::document::text("bad-hyp.conll", "x B-PER\n"));
  c.pairs.emplace_back(good, good);
  try {
    orvane::evaluate_corpus(c, o, 2);
    ADD_FAILURE() << "no fault";
  } catch (const orvane::error& e) {
    EXPECT_EQ(
        "bad-hyp.conll:1: Error: token 'x', where bad.conll:1 has 'a': the two files must hold the "
        "same tokens.\nThe evaluation of bad.conll and bad-hyp.conll (pair 2 of 3) failed.",
        std::string(e.what()));
    EXPECT_EQ(1, e.status());
    EXPECT_EQ(2u, std::count(e.warnings().begin(), e.warnings().end(), '\n')) << e.warnings();
  }
  EXPECT_THROW(orvane::evaluate_corpus(orvane::corpus(), o), orvane::error);
  c.pairs.erase(c.pairs.begin() + 1);
  const orvane::corpus_result r = orvane::evaluate_corpus(c, o);
  EXPECT_THROW(r.bootstrap(0), orvane::error);
  orvane::corpus shorter;
  shorter.pairs.emplace_back(good, good);
  EXPECT_THROW(orvane::compare(r, orvane::evaluate_corpus(shorter, o)), orvane::error);
  EXPECT_THROW(orvane::corpus::folders("/nonexistent", "/nonexistent"), orvane::error);
}

TEST(Library, TheReadmeShowsTheCompiledExample) {
  const std::string readme = file_text(ORVANE_SOURCE_DIR "/README.md");
  std::string example = file_text(examples + "library_example.cc");
  EXPECT_NE(std::string::npos, readme.find(example)) << "README lacks examples/library_example.cc";
}

}  // namespace
