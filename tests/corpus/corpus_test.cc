// Corpus runs: pairing, pooling, threads, faults, and the bootstrap.
#include "corpus/corpus.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "base/fatal.h"
#include "corpus/pairs.h"
#include "evaluation/evaluation.h"
#include "reports/bootstrap.h"
#include "reports/pooled.h"
#include "reports/summary.h"
#include "reports/text_report.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const char* const task = R"(
function get_all_tags() return { "pers", "loc", "org" } end
function get_miss_cost(e) return 1, "miss" end
function get_substitution_cost(r, h)
  if r.type == h.type and r.spos == h.spos and r.epos == h.epos then return 0 end
  if r.type == h.type then return 0.5, "boundary" end
  return 1, "type"
end
)";

// A scratch folder, removed with the object.
class scratch_folder {
 public:
  scratch_folder() {
    char name[] = "/tmp/orvane-corpus-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~scratch_folder() { fs::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string write(const std::string& relative, const std::string& content) const {
    const fs::path p = fs::path(path_) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }

 private:
  std::string path_;
};

// A random annotated sentence and a noisy copy of it.
void random_pair(std::mt19937& random, std::string& ref, std::string& hyp) {
  static const char* const types[] = {"pers", "loc", "org"};
  const int words = 5 + static_cast<int>(random() % 30);
  for (int w = 0; w < words; w++) {
    const std::string word = "w" + std::to_string(random() % 100);
    const char* type = types[random() % 3];
    const bool in_ref = random() % 4 == 0;
    const bool in_hyp = in_ref ? random() % 5 != 0 : random() % 10 == 0;
    const char* hyp_type = random() % 6 == 0 ? types[random() % 3] : type;
    ref += in_ref ? "<" + std::string(type) + ">" + word + "</" + type + "> " : word + " ";
    hyp += in_hyp ? "<" + std::string(hyp_type) + ">" + word + "</" + hyp_type + "> " : word + " ";
  }
  ref += "\n";
  hyp += "\n";
}

struct corpus_fixture {
  scratch_folder dir;
  std::string description;
  std::vector<std::string> names;  // relative paths, in corpus order

  explicit corpus_fixture(int pairs, unsigned seed = 1) {
    description = dir.write("task.lua", task);
    std::mt19937 random(seed);
    for (int i = 0; i < pairs; i++) {
      std::string ref, hyp;
      random_pair(random, ref, hyp);
      const std::string name = "d" + std::to_string(i % 7) + "/doc" + std::to_string(i) + ".txt";
      dir.write("ref/" + name, ref);
      dir.write("hyp/" + name, hyp);
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
  }

  std::string run(const report_options& reports, corpus_options corpus, int* status = nullptr,
                  std::string* messages = nullptr) const {
    evaluation_input input;
    input.description = description;
    corpus.reference_dir = dir.path() + "/ref";
    corpus.hypothesis_dir = dir.path() + "/hyp";
    std::string err;
    int st = 0;
    const std::string out = capture([&](FILE* o) {
      err = capture([&](FILE* e) {
        const int fault =
            run_reporting_faults(e, [&] { st = run_corpus(input, reports, corpus, o, e); });
        st = fault != 0 ? fault : st;
      });
    });
    if (status) {
      *status = st;
    }
    if (messages) {
      *messages = err;
    }
    return out;
  }
};

report_options all_reports(bool json) {
  report_options r;
  r.summary = r.details = r.details_correct = r.agreement = r.confusion = true;
  r.expected_count = 1000;
  r.json = json;
  return r;
}

TEST(Corpus, FoldersPairByRelativePathInByteOrder) {
  scratch_folder d;
  for (const char* name : {"b.txt", "B.txt", "a/z.txt", "a.txt", "a-b/c.txt"}) {
    d.write(std::string("ref/") + name, "x");
    d.write(std::string("hyp/") + name, "x");
  }
  const std::vector<document_pair> pairs =
      pairs_from_folders(d.path() + "/ref/", d.path() + "/hyp", false);
  std::vector<std::string> refs;
  for (const document_pair& p : pairs) {
    refs.push_back(p.reference.substr(d.path().size()));
    EXPECT_EQ(p.reference.substr(d.path().size() + 4), p.hypothesis.substr(d.path().size() + 4));
  }
  EXPECT_EQ((std::vector<std::string>{"/ref/B.txt", "/ref/a-b/c.txt", "/ref/a.txt", "/ref/a/z.txt",
                                      "/ref/b.txt"}),
            refs);
}

TEST(Corpus, UnpairedFiles) {
  scratch_folder d;
  d.write("ref/a.txt", "x");
  d.write("ref/m.txt", "x");
  d.write("hyp/a.txt", "x");
  const std::string ref = d.path() + "/ref", hyp = d.path() + "/hyp";
  EXPECT_FATAL(pairs_from_folders(ref, hyp, false), 1,
               "Error: " + ref + "/m.txt has no hypothesis " + hyp +
                   "/m.txt (--missing-as-empty counts it as empty).\n");
  const std::vector<document_pair> pairs = pairs_from_folders(ref, hyp, true);
  ASSERT_EQ(2u, pairs.size());
  EXPECT_FALSE(pairs[0].hypothesis_missing);
  EXPECT_TRUE(pairs[1].hypothesis_missing);
  d.write("hyp/b.txt", "x");
  EXPECT_FATAL(pairs_from_folders(ref, hyp, true), 1,
               "Error: " + hyp + "/b.txt has no reference " + ref + "/b.txt.\n");
}

// Only a name that does not exist is missing; what exists and is no
// document is a fault, never a skipped file or an empty hypothesis.
TEST(Corpus, NamesThatAreNoDocuments) {
  scratch_folder d;
  d.write("ref/a.txt", "x");
  d.write("ref/b.txt", "x");
  d.write("hyp/a.txt", "x");
  const std::string ref = d.path() + "/ref", hyp = d.path() + "/hyp";
  fs::create_symlink("nowhere", hyp + "/b.txt");
  EXPECT_FATAL(pairs_from_folders(ref, hyp, true), 2,
               "Open " + hyp + "/b.txt: No such file or directory (a broken link)\n");
  fs::remove(hyp + "/b.txt");
  fs::create_directory(hyp + "/b.txt");  // an empty folder lists no file
  EXPECT_FATAL(pairs_from_folders(ref, hyp, true), 2, "Read " + hyp + "/b.txt: Is a directory\n");
  fs::remove(hyp + "/b.txt");
  ASSERT_EQ(0, mkfifo((hyp + "/b.txt").c_str(), 0600));
  EXPECT_FATAL(pairs_from_folders(ref, hyp, true), 2,
               "Read " + hyp + "/b.txt: not a regular file\n");
  fs::remove(hyp + "/b.txt");
  fs::create_symlink("c.txt", ref + "/c.txt");  // a link to itself
  EXPECT_FATAL(pairs_from_folders(ref, hyp, true), 2,
               "Open " + ref + "/c.txt: Too many levels of symbolic links\n");
  fs::remove(ref + "/c.txt");
  EXPECT_TRUE(pairs_from_folders(ref, hyp, true)[1].hypothesis_missing);
  // The same in a pairs file.
  const std::string list = d.write("pairs", "ref/a.txt\thyp/a.txt\nref/b.txt\thyp/b.txt\n");
  EXPECT_TRUE(pairs_from_list(list, true)[1].hypothesis_missing);
  fs::create_symlink("nowhere", hyp + "/b.txt");
  EXPECT_FATAL(pairs_from_list(list, true), 2,
               "Open " + hyp + "/b.txt: No such file or directory (a broken link)\n");
  fs::remove(hyp + "/b.txt");
  fs::create_directory(hyp + "/b.txt");
  EXPECT_FATAL(pairs_from_list(list, true), 2, "Read " + hyp + "/b.txt: Is a directory\n");
  fs::remove(hyp + "/b.txt");
  ASSERT_EQ(0, mkfifo((hyp + "/b.txt").c_str(), 0600));  // would block the run
  EXPECT_FATAL(pairs_from_list(list, true), 2, "Read " + hyp + "/b.txt: not a regular file\n");
  // A folder in a hypothesis's place is named so, not taken for a missing file.
  fs::remove(hyp + "/b.txt");
  fs::create_directory(hyp + "/b.txt");
  EXPECT_FATAL(pairs_from_folders(ref, hyp, false), 2, "Read " + hyp + "/b.txt: Is a directory\n");
}

TEST(Corpus, NoDocumentIsAnError) {
  corpus_fixture c(0);
  fs::create_directories(c.dir.path() + "/ref");
  fs::create_directories(c.dir.path() + "/hyp");
  int status = 0;
  std::string messages;
  EXPECT_EQ("", c.run(all_reports(false), corpus_options(), &status, &messages));
  EXPECT_EQ(1, status);
  EXPECT_EQ("Error: no document under " + c.dir.path() + "/ref.\n", messages);
}

TEST(Corpus, PairsFile) {
  scratch_folder d;
  const std::string list = d.write("lists/pairs", "r1\th1\r\n\n/abs/r\t../h2\n");
  const std::vector<document_pair> pairs = pairs_from_list(list, false);
  ASSERT_EQ(2u, pairs.size());
  EXPECT_EQ(d.path() + "/lists/r1", pairs[0].reference);
  EXPECT_EQ(d.path() + "/lists/h1", pairs[0].hypothesis);
  EXPECT_EQ("/abs/r", pairs[1].reference);
  EXPECT_EQ(d.path() + "/lists/../h2", pairs[1].hypothesis);
  for (const char* bad : {"r h\n", "r\t\n", "\th\n", "r\th\tx\n"}) {
    const std::string f = d.write("bad", std::string("a\tb\n") + bad);
    EXPECT_FATAL(pairs_from_list(f, false), 1,
                 f + ":2: Error: expected a reference and a hypothesis separated by one tab.\n");
  }
}

// The pooled figures are the sums of the pairs' own, whatever the order of
// types in each pair.
TEST(Corpus, PooledIsTheSumOfThePairs) {
  corpus_fixture c(40);
  report_options summary;
  summary.summary = true;
  outcome_counts sum;
  sum.hyp_per_type = sum.ref_per_type = sum.correct_per_type = sum.correct_hyp_per_type =
      std::vector<int>(3);
  for (const std::string& name : c.names) {
    evaluation_input input;
    input.description = c.description;
    input.reference = c.dir.path() + "/ref/" + name;
    input.hypothesis = c.dir.path() + "/hyp/" + name;
    evaluation ev(input);
    ev.run();
    const outcome_counts k = count_outcomes(ev.result());
    sum.reference_entities += k.reference_entities;
    sum.hypothesis_entities += k.hypothesis_entities;
    sum.corrects += k.corrects;
    sum.insertions += k.insertions;
    sum.deletions += k.deletions;
    sum.substitutions += k.substitutions;
    sum.total_errors += k.total_errors;
    sum.slot_error_sum += k.slot_error_sum;
    for (size_t t = 0; t < 3; t++) {
      sum.hyp_per_type[t] += k.hyp_per_type[t];
      sum.ref_per_type[t] += k.ref_per_type[t];
      sum.correct_per_type[t] += k.correct_per_type[t];
      sum.correct_hyp_per_type[t] += k.correct_hyp_per_type[t];
    }
  }
  const std::string expected = capture([&](FILE* out) {
    print_summary(out, summarize(sum, make_types({"pers", "loc", "org"})));
  });
  EXPECT_EQ(expected, c.run(summary, corpus_options()));

  pooled_results pooled;
  pair_counts a, b;
  a.types = {"x", "y"};
  a.counts.ref_per_type = {1, 2};
  a.counts.hyp_per_type = a.counts.correct_per_type = {0, 0};
  a.counts.correct_hyp_per_type = {0, 1};
  a.confusion.cells = {{0, 1, 2}, {1, no_type, 1}};
  b.types = {"y", "z"};
  b.counts.ref_per_type = {5, 7};
  b.counts.hyp_per_type = b.counts.correct_per_type = {0, 0};
  b.counts.correct_hyp_per_type = {1, 0};
  b.confusion.cells = {{0, 1, 4}, {no_type, 0, 1}};
  pooled.add(a);
  pooled.add(b);
  EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), pooled.types().names());
  EXPECT_EQ((std::vector<int>{1, 7, 7}), pooled.counts().ref_per_type);
  EXPECT_EQ((std::vector<int>{0, 2, 0}), pooled.counts().correct_hyp_per_type);
  const confusion_report cells = pooled.confusion();
  ASSERT_EQ(4u, cells.cells.size());
  EXPECT_EQ(1, cells.cells[1].ref_type);  // y -> z, 4
  EXPECT_EQ(2, cells.cells[1].hyp_type);
  EXPECT_EQ(4, cells.cells[1].count);
  EXPECT_EQ(no_type, cells.cells[3].ref_type);  // none -> y, 1
}

TEST(Corpus, OutputIsTheSameOnAnyNumberOfThreads) {
  corpus_fixture c(60);
  for (bool json : {false, true}) {
    corpus_options one, four;
    one.jobs = 1;
    four.jobs = 4;
    one.per_document = four.per_document = true;
    one.bootstrap = four.bootstrap = 200;
    const std::string expected = c.run(all_reports(json), one);
    EXPECT_NE(std::string::npos, expected.find("doc59")) << expected.substr(0, 200);
    EXPECT_EQ(expected, c.run(all_reports(json), four));
  }
}

// The first faulty pair in corpus order ends the run, on any number of
// threads: its message, its status, and no totals.
TEST(Corpus, AFaultyPairEndsTheRun) {
  corpus_fixture c(static_cast<int>(test_size(200, 1000)));
  const size_t bad = c.names.size() / 2;
  c.dir.write("hyp/" + c.names[bad], "<pers>a</pers> b\n");
  c.dir.write("ref/" + c.names[bad + 3], "<loc>a</pers>\n");
  const std::string ref = c.dir.path() + "/ref/" + c.names[bad];
  const std::string hyp = c.dir.path() + "/hyp/" + c.names[bad];
  for (unsigned jobs : {1u, 3u}) {
    corpus_options corpus;
    corpus.jobs = jobs;
    int status = 0;
    std::string messages;
    report_options summary;
    summary.summary = true;
    const std::string out = c.run(summary, corpus, &status, &messages);
    EXPECT_EQ(1, status);
    // The text mismatch names no file; the line after it names the pair.
    EXPECT_EQ(0u, messages.find("Mismatch when aligning ref and hyp, hyp line 1, ref line 1:\n"))
        << messages;
    const std::string last = "\nThe evaluation of " + ref + " and " + hyp + " (pair " +
                             std::to_string(bad + 1) + " of " + std::to_string(c.names.size()) +
                             ") failed.\n";
    EXPECT_EQ(messages.size() - last.size(), messages.rfind(last)) << messages;
    EXPECT_EQ("", out);
  }
}

// A pair still running when an earlier one has failed is stopped, even in
// a description that never returns: the run ends with the failure.
TEST(Corpus, AFailureStopsThePairsInFlight) {
  scratch_folder d;
  const std::string looping = d.write("task.lua", R"(
function get_all_tags() return { "x" } end
function get_miss_cost(e)
  if e.value == "boom" then error("boom") end
  if e.value == "loop" then while true do end end
  return 1, "miss"
end
function get_substitution_cost(r, h) return 0 end
)");
  d.write("ref/a.txt", "<x>boom</x>\n");
  d.write("hyp/a.txt", "boom\n");
  for (int i = 0; i < 6; i++) {
    d.write("ref/b" + std::to_string(i) + ".txt", "<x>loop</x>\n");
    d.write("hyp/b" + std::to_string(i) + ".txt", "loop\n");
  }
  evaluation_input input;
  input.description = looping;
  corpus_options corpus;
  corpus.reference_dir = d.path() + "/ref";
  corpus.hypothesis_dir = d.path() + "/hyp";
  corpus.jobs = 3;
  report_options summary;
  summary.summary = true;
  int status = 0;
  std::string messages;
  const std::string out = capture([&](FILE* o) {
    messages = capture([&](FILE* e) { status = run_corpus(input, summary, corpus, o, e); });
  });
  EXPECT_EQ(1, status);
  EXPECT_EQ("", out);
  EXPECT_NE(std::string::npos, messages.find("(pair 1 of 7) failed.")) << messages;
}

TEST(Corpus, BootstrapIsDeterministicAndHoldsTheEstimate) {
  std::vector<document_row> docs;
  std::mt19937 random(3);
  double ref = 0, hyp = 0, corrects = 0;
  for (int i = 0; i < 300; i++) {
    document_row d;
    d.reference_entities = 5 + static_cast<int>(random() % 10);
    d.hypothesis_entities = 5 + static_cast<int>(random() % 10);
    d.corrects =
        static_cast<int>(random() % (std::min(d.reference_entities, d.hypothesis_entities) + 1));
    d.slot_error_sum = d.reference_entities - d.corrects;
    ref += d.reference_entities;
    hyp += d.hypothesis_entities;
    corrects += d.corrects;
    docs.push_back(d);
  }
  const bootstrap_report a = bootstrap(docs, 500, 42);
  const bootstrap_report b = bootstrap(docs, 500, 42);
  const bootstrap_report other = bootstrap(docs, 500, 43);
  EXPECT_EQ(a.f_measure.low, b.f_measure.low);
  EXPECT_EQ(a.slot_error_rate.high, b.slot_error_rate.high);
  EXPECT_TRUE(a.f_measure.low != other.f_measure.low || a.f_measure.high != other.f_measure.high);
  const double f = 2 * corrects / (ref + hyp), p = corrects / hyp, r = corrects / ref;
  for (const auto& [i, v] : {std::pair{a.f_measure, f}, {a.precision, p}, {a.recall, r}}) {
    EXPECT_TRUE(i.defined);
    EXPECT_LT(i.low, v);
    EXPECT_GT(i.high, v);
    EXPECT_LT(i.high - i.low, 0.2);
  }
  // Without hypothesis entities precision has no value on any resample.
  for (document_row& d : docs) {
    d.hypothesis_entities = d.corrects = 0;
  }
  EXPECT_FALSE(bootstrap(docs, 50, 1).precision.defined);
  EXPECT_TRUE(bootstrap(docs, 50, 1).recall.defined);
}

// The progress line goes to the error stream, rewritten in place, and is
// erased at the end; the reports do not change.
TEST(Corpus, ProgressLine) {
  corpus_fixture c(30);
  report_options summary;
  summary.summary = true;
  corpus_options quiet, shown;
  shown.progress = true;
  std::string messages;
  const std::string out = c.run(summary, shown, nullptr, &messages);
  EXPECT_EQ(c.run(summary, quiet), out);
  EXPECT_EQ(0u, messages.find("\r")) << messages;
  EXPECT_NE(std::string::npos, messages.find("30/30 pairs")) << messages;
  const std::string erase = "\r\033[K";
  EXPECT_EQ(messages.size() - erase.size(), messages.rfind(erase)) << messages;
  // A few pairs go without.
  corpus_fixture few(5);
  few.run(summary, shown, nullptr, &messages);
  EXPECT_EQ("", messages);
}

// The visual report of a corpus: every document's part, and none of it
// when a pair fails.
TEST(Corpus, VisualReport) {
  corpus_fixture c(12);
  report_options page;
  page.summary = true;
  page.html_file = c.dir.path() + "/page.html";
  int status = 0;
  c.run(page, corpus_options(), &status);
  EXPECT_EQ(0, status);
  std::ifstream in(page.html_file);
  std::stringstream text;
  text << in.rdbuf();
  size_t documents = 0;
  for (size_t at = text.str().find("class=\"doc\""); at != std::string::npos;
       at = text.str().find("class=\"doc\"", at + 1)) {
    documents++;
  }
  EXPECT_EQ(12u, documents);
  EXPECT_NE(std::string::npos, text.str().find("<section id=\"index\">"));
  fs::remove(page.html_file);
  c.dir.write("hyp/" + c.names[5], "a different text\n");
  std::string messages;
  c.run(page, corpus_options(), &status, &messages);
  EXPECT_EQ(1, status);
  EXPECT_FALSE(fs::exists(page.html_file)) << messages;
}

// The paired bootstrap: a system against itself differs by nothing and is
// never better; a system with more corrects on every document is better on
// every resample.
TEST(Corpus, PairedBootstrap) {
  std::vector<document_row> one, two;
  for (int i = 0; i < 50; i++) {
    document_row d;
    d.reference_entities = 10;
    d.hypothesis_entities = 10;
    d.corrects = 3 + i % 4;
    d.slot_error_sum = 10 - d.corrects;
    one.push_back(d);
    d.corrects += 2;
    d.slot_error_sum -= 2;
    two.push_back(d);
  }
  const comparison_report same = compare_systems(one, one, 300, 9);
  EXPECT_EQ(0, same.f_measure.estimate);
  EXPECT_EQ(0, same.f_measure.share_better);
  EXPECT_EQ(0, same.slot_error_rate.range.low);
  EXPECT_EQ(0, same.slot_error_rate.range.high);
  const comparison_report better = compare_systems(one, two, 300, 9);
  EXPECT_DOUBLE_EQ(0.2, better.f_measure.estimate);
  EXPECT_DOUBLE_EQ(-0.2, better.slot_error_rate.estimate);
  EXPECT_EQ(1, better.f_measure.share_better);
  EXPECT_EQ(1, better.slot_error_rate.share_better);
  EXPECT_LE(better.f_measure.range.low, 0.2 + 1e-12);
  EXPECT_GE(better.f_measure.range.high, 0.2 - 1e-12);
  const comparison_report again = compare_systems(one, two, 300, 9);
  EXPECT_EQ(better.slot_error_rate.range.low, again.slot_error_rate.range.low);
}

// Per type, on the same draws: the overall figures do not move; a type only
// one system has is a dash for the other; a type's own F-measure follows its
// precision (hypothesis type) and recall (reference type) when a description
// calls a pairing of two types correct.
TEST(Corpus, PairedBootstrapPerType) {
  std::vector<document_row> one, two;
  for (int i = 0; i < 20; i++) {
    document_row d;
    d.reference_entities = d.hypothesis_entities = 4;
    d.corrects = 2 + i % 2;
    d.slot_error_sum = 4 - d.corrects;
    d.types = {type_tally{"LOC", 4, 4, d.corrects, d.corrects}};
    one.push_back(d);
    d.types = {type_tally{"LOC", 4, 2, 2, 1}, type_tally{"ORG", 0, 2, 0, 1}};
    two.push_back(d);
  }
  const comparison_report plain = compare_systems(one, two, 200, 4);
  const comparison_report typed = compare_systems(one, two, 200, 4, nullptr, true);
  EXPECT_TRUE(plain.per_type.empty());
  EXPECT_EQ(plain.f_measure.range.low, typed.f_measure.range.low);
  EXPECT_EQ(plain.f_measure.share_better, typed.f_measure.share_better);
  ASSERT_EQ(2u, typed.per_type.size());
  const type_difference& loc = typed.per_type[0];
  EXPECT_EQ("LOC", loc.type);
  EXPECT_DOUBLE_EQ(50.0 / 80, loc.one);
  // Precision 1/2, recall 1/2 on every document and resample.
  EXPECT_DOUBLE_EQ(0.5, loc.two);
  EXPECT_DOUBLE_EQ(0.5 - 50.0 / 80, loc.f_measure.estimate);
  EXPECT_EQ(0, loc.f_measure.share_better);
  const type_difference& org = typed.per_type[1];
  EXPECT_EQ("ORG", org.type);
  EXPECT_TRUE(std::isnan(org.one));
  EXPECT_TRUE(std::isnan(org.f_measure.estimate));
  EXPECT_FALSE(org.f_measure.range.defined);
  EXPECT_TRUE(std::isnan(org.f_measure.share_better));
}

// So many resamples that the types are drawn in blocks, each replaying the
// seed: a type's interval is the one it has when compared alone.
TEST(Corpus, PairedBootstrapPerTypeInBlocks) {
  std::vector<document_row> one, two;
  for (int i = 0; i < 4; i++) {
    document_row d;
    d.reference_entities = d.hypothesis_entities = 9;
    for (int t = 0; t < 9; t++) {
      d.types.push_back(
          type_tally{std::string(1, static_cast<char>('a' + t)), 1, 1, (i + t) % 2, (i + t) % 2});
    }
    one.push_back(d);
    for (type_tally& t : d.types) {
      t.correct = t.correct_hypothesis = 1 - t.correct;
    }
    two.push_back(d);
  }
  const unsigned resamples = 300;  // blocks of 4 types
  const comparison_report all = compare_systems(one, two, resamples, 5, nullptr, true, 1200);
  for (size_t t : {size_t(2), size_t(8)}) {
    std::vector<document_row> alone[2] = {one, two};
    for (auto& rows : alone) {
      for (document_row& d : rows) {
        d.types = {d.types[t]};
      }
    }
    const comparison_report by_itself =
        compare_systems(alone[0], alone[1], resamples, 5, nullptr, true, 1200);
    ASSERT_EQ(1u, by_itself.per_type.size());
    EXPECT_EQ(by_itself.per_type[0].f_measure.range.low, all.per_type[t].f_measure.range.low);
    EXPECT_EQ(by_itself.per_type[0].f_measure.share_better, all.per_type[t].f_measure.share_better);
  }
}

}  // namespace
