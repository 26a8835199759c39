// Option parsing: what each option asks for, the summary default, and when
// the command line asks for the usage text instead of a run.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// Parses a command line given without the program name.
command parse(std::vector<std::string> words) {
  words.insert(words.begin(), "orvane");
  std::vector<char*> argv;
  for (std::string& w : words) {
    argv.push_back(&w[0]);
  }
  argv.push_back(nullptr);
  return parse_command_line(static_cast<int>(words.size()), argv.data());
}

std::string flags(const command& cmd) {
  const report_options& r = cmd.options.reports;
  std::string s;
  s += r.summary ? 's' : '-';
  s += r.details ? 'd' : '-';
  s += r.details_correct ? 'c' : '-';
  s += r.agreement ? 'i' : '-';
  s += cmd.options.input.reference_is_aref ? 'a' : '-';
  s += r.open ? 'o' : '-';
  return s + std::to_string(r.expected_count);
}

TEST(Options, FlagsAndDefaults) {
  struct {
    std::vector<std::string> words;
    std::string expected;
  } cases[] = {
      {{"d", "r", "h"}, "s-----0"},
      {{"-d", "d", "r", "h"}, "-d----0"},
      {{"-d", "-s", "d", "r", "h"}, "sd----0"},
      {{"-c", "d", "r", "h"}, "-dc---0"},
      {{"-a", "d", "r", "h"}, "s---a-0"},
      {{"-o", "d", "r", "h"}, "s----o0"},
      {{"-i", "10", "d", "r", "h"}, "---i--10"},
      {{"-i40", "d", "r", "h"}, "---i--40"},
      {{"-i", "abc", "d", "r", "h"}, "---i--0"},
      {{"-i", "7.9", "d", "r", "h"}, "---i--7"},
      {{"-i", "-3.5", "d", "r", "h"}, "---i---3"},
      {{"-i", "12xyz", "d", "r", "h"}, "---i--12"},
      {{"-i", "5", "-i", "9", "d", "r", "h"}, "---i--9"},
      {{"-i", "1e30", "d", "r", "h"}, "---i--2147483647"},
      {{"-i", "nan", "d", "r", "h"}, "---i--0"},
      {{"d", "r", "h", "-d"}, "-d----0"},
      {{"-sdca", "-i", "3", "-o", "d", "r", "h"}, "sdciao3"},
  };
  for (auto& c : cases) {
    command cmd = parse(c.words);
    EXPECT_EQ(command::action::run, cmd.what) << c.words[0];
    EXPECT_EQ(c.expected, flags(cmd)) << c.words[0];
  }
}

TEST(Options, TheThreeFileNamesInOrder) {
  command cmd = parse({"-d", "descr.lua", "ref", "-s", "hyp"});
  EXPECT_EQ("descr.lua", cmd.options.input.description);
  EXPECT_EQ("ref", cmd.options.input.reference);
  EXPECT_EQ("hyp", cmd.options.input.hypothesis);
}

TEST(Options, NamesAndOptionsInAnyOrderWhateverTheEnvironment) {
  // POSIXLY_CORRECT would stop a plain parse at the first name.
  setenv("POSIXLY_CORRECT", "1", 1);
  command cmd = parse({"descr.lua", "-d", "ref", "hyp", "-i", "3", "--search-limit", "9"});
  unsetenv("POSIXLY_CORRECT");
  EXPECT_EQ(command::action::run, cmd.what);
  EXPECT_EQ("descr.lua", cmd.options.input.description);
  EXPECT_EQ("ref", cmd.options.input.reference);
  EXPECT_EQ("hyp", cmd.options.input.hypothesis);
  EXPECT_TRUE(cmd.options.reports.details);
  EXPECT_EQ(3, cmd.options.reports.expected_count);
  EXPECT_EQ(9u, cmd.options.input.limits.max_partial_solutions);
  // After "--" everything is a name, even what looks like an option.
  cmd = parse({"-d", "--", "-descr.lua", "ref", "-hyp"});
  EXPECT_EQ("-descr.lua", cmd.options.input.description);
  EXPECT_EQ("-hyp", cmd.options.input.hypothesis);
  EXPECT_EQ(command::action::usage, parse({"d", "--", "r", "h", "x"}).what);
}

TEST(Options, EveryParseStartsFromScratch) {
  parse({"-a", "-c", "-o", "-i", "4", "d", "r", "h"});
  EXPECT_EQ("s-----0", flags(parse({"d", "r", "h"})));
}

TEST(Options, UsageInsteadOfARun) {
  struct {
    std::vector<std::string> words;
    FILE* stream;
    int status;
  } cases[] = {
      {{"-h", "d", "r", "h"}, stdout, 0},
      {{"--help"}, stdout, 0},
      // The first of -h and a faulty option decides.
      {{"-h", "-x"}, stdout, 0},
      {{"-x", "-h"}, stderr, 1},
      {{"-i"}, stderr, 1},
      {{"d", "r"}, stderr, 1},
      {{"d", "r", "h", "x"}, stderr, 1},
      {{}, stderr, 1},
  };
  for (auto& c : cases) {
    command cmd = parse(c.words);
    EXPECT_EQ(command::action::usage, cmd.what);
    EXPECT_EQ(c.stream, cmd.usage_stream);
    EXPECT_EQ(c.status, cmd.status);
    EXPECT_FALSE(cmd.brief);
  }
  // The names of a wrong count are kept for the hint after the usage text.
  EXPECT_EQ((std::vector<std::string>{"d", "r"}), parse({"d", "-s", "r"}).names);
}

// A fault of a newer option is its reason and a pointer to the help; those
// of the older options, and an option nobody knows, the usage text.
TEST(Options, NewerOptionsFaultsAreBrief) {
  for (std::vector<std::string> words : {std::vector<std::string>{"--scheme"},
                                         {"d", "r", "h", "--timeout"},
                                         {"-j"},
                                         {"--conll=yes", "d", "r"},
                                         {"--quiet=1", "d", "r", "h"},
                                         {"--search-limit", "0", "d", "r", "h"},
                                         {"--corpus", "d", "r"},
                                         {"--scheme", "iob2", "d", "r", "h"}}) {
    command c = parse(words);
    EXPECT_EQ(command::action::usage, c.what) << words[0];
    EXPECT_TRUE(c.brief) << words[0];
    EXPECT_EQ(1, c.status);
  }
  for (std::vector<std::string> words : {std::vector<std::string>{"-i"},
                                         {"-x", "d", "r", "h"},
                                         {"--colums", "1,2", "d", "r", "h"},
                                         {"--s", "d", "r", "h"},
                                         {"--help=1"}}) {
    EXPECT_FALSE(parse(words).brief) << words[0];
  }
}

TEST(Options, SearchLimit) {
  EXPECT_EQ(200000u, parse({"d", "r", "h"}).options.input.limits.max_partial_solutions);
  command cmd = parse({"--search-limit", "250", "d", "r", "h"});
  EXPECT_EQ(command::action::run, cmd.what);
  EXPECT_EQ(250u, cmd.options.input.limits.max_partial_solutions);
  EXPECT_EQ(1000u, cmd.options.input.limits.max_alternatives);
  EXPECT_EQ(7u,
            parse({"--search-limit=7", "d", "r", "h"}).options.input.limits.max_partial_solutions);
  // Only a positive whole number will do; the message goes before the usage.
  for (const char* bad : {"0", "-3", "12x", "", "1e3", "99999999999999999999999"}) {
    command c = parse({"--search-limit", bad, "d", "r", "h"});
    EXPECT_EQ(command::action::usage, c.what) << bad;
    EXPECT_EQ(1, c.status) << bad;
  }
}

TEST(Options, Timeout) {
  EXPECT_EQ(0u, parse({"d", "r", "h"}).options.timeout_seconds);
  EXPECT_EQ(30u, parse({"--timeout", "30", "d", "r", "h"}).options.timeout_seconds);
  EXPECT_EQ(86400u, parse({"--timeout=86400", "d", "r", "h"}).options.timeout_seconds);
  for (const char* bad : {"0", "-1", "1.5", "", "86401", "x", "99999999999999999999999"}) {
    command c = parse({"--timeout", bad, "d", "r", "h"});
    EXPECT_EQ(command::action::usage, c.what) << bad;
    EXPECT_EQ(1, c.status) << bad;
  }
}

TEST(Options, TokenPerLineDocuments) {
  command cmd = parse({"--conll", "d", "r", "h"});
  EXPECT_EQ(command::action::run, cmd.what);
  EXPECT_TRUE(cmd.options.input.conll);
  EXPECT_EQ(chunk_scheme::conlleval, cmd.options.input.scheme);
  EXPECT_EQ("h", cmd.options.input.hypothesis);
  EXPECT_FALSE(cmd.options.input.one_file);
  // An empty name is a name (of no file), not one file.
  EXPECT_FALSE(parse({"--conll", "d", "r", ""}).options.input.one_file);
  // One file holds both documents: no hypothesis name.
  cmd = parse({"d", "data", "--conll", "--scheme=iobes"});
  EXPECT_EQ(command::action::run, cmd.what);
  EXPECT_EQ("data", cmd.options.input.reference);
  EXPECT_TRUE(cmd.options.input.one_file);
  EXPECT_EQ(chunk_scheme::iobes, cmd.options.input.scheme);
  // Scheme names in any case, and as other tools name them.
  for (auto [name, scheme] : {std::pair{"iob2", chunk_scheme::iob2},
                              {"IOB2", chunk_scheme::iob2},
                              {"bio", chunk_scheme::iob2},
                              {"BIOES", chunk_scheme::iobes},
                              {"Bilou", chunk_scheme::iobes},
                              {"iobes", chunk_scheme::iobes},
                              {"CoNLLeval", chunk_scheme::conlleval}}) {
    EXPECT_EQ(scheme, parse({"--conll", "--scheme", name, "d", "r"}).options.input.scheme) << name;
  }
  // Two names, -a, a scheme without --conll or an unknown one: usage errors.
  for (std::vector<std::string> words : {std::vector<std::string>{"d", "r"},
                                         {"--conll", "d"},
                                         {"--conll", "d", "r", "h", "x"},
                                         {"--conll", "-a", "d", "r", "h"},
                                         {"--scheme", "iob2", "d", "r", "h"},
                                         {"--conll", "--scheme", "IOE2", "d", "r"},
                                         {"--conll", "--scheme", "iob", "d", "r"},
                                         {"--conll", "--scheme", "", "d", "r"}}) {
    command c = parse(words);
    EXPECT_EQ(command::action::usage, c.what) << words[0] << " " << words[1];
    EXPECT_EQ(1, c.status);
  }
}

TEST(Options, TypesAndVersion) {
  EXPECT_TRUE(parse({"d", "r", "h"}).options.input.types.empty());
  EXPECT_EQ((std::vector<std::string>{"PER", "B-X", "loc"}),
            parse({"--types", "PER,B-X,loc", "d", "r", "h"}).options.input.types);
  // The last --types wins, whole.
  EXPECT_EQ((std::vector<std::string>{"a"}),
            parse({"--types", "x,y", "--types=a", "d", "r", "h"}).options.input.types);
  // Blanks around a name are no part of it.
  EXPECT_EQ((std::vector<std::string>{"PER", "LOC"}),
            parse({"--types", " PER ,\tLOC ", "d", "r", "h"}).options.input.types);
  for (const char* bad : {"", ",", "a,", ",a", "a,,b", "a, ,b", " ", "New York"}) {
    EXPECT_EQ(command::action::usage, parse({"--types", bad, "d", "r", "h"}).what) << bad;
  }
  EXPECT_EQ(command::action::version, parse({"--version"}).what);
  EXPECT_EQ(command::action::version, parse({"-d", "--version", "d"}).what);
  const std::string version = capture(print_version);
  EXPECT_EQ("orvane ", version.substr(0, 7));
  EXPECT_TRUE(version.size() > 8 && isdigit(static_cast<unsigned char>(version[7])) &&
              version.back() == '\n')
      << version;
}

// --json changes how the reports are written, not which: the summary stays
// the default, and -d, -c and -i still choose the rest.
TEST(Options, JsonAndConfusion) {
  command cmd = parse({"--json", "d", "r", "h"});
  EXPECT_TRUE(cmd.options.reports.json);
  EXPECT_EQ("s-----0", flags(cmd));
  cmd = parse({"--json", "-c", "d", "r", "h"});
  EXPECT_EQ("-dc---0", flags(cmd));
  cmd = parse({"--confusion", "d", "r", "h"});
  EXPECT_TRUE(cmd.options.reports.confusion);
  EXPECT_FALSE(cmd.options.reports.json);
  EXPECT_EQ("s-----0", flags(cmd));
  cmd = parse({"d", "r", "h"});
  EXPECT_FALSE(cmd.options.reports.confusion || cmd.options.reports.json);
}

TEST(Options, Corpus) {
  command cmd = parse({"--corpus", "-j", "3", "--per-document", "d", "r", "h"});
  ASSERT_EQ(command::action::run, cmd.what);
  EXPECT_TRUE(cmd.options.corpus);
  EXPECT_EQ("r", cmd.options.corpus_run.reference_dir);
  EXPECT_EQ("h", cmd.options.corpus_run.hypothesis_dir);
  EXPECT_EQ(3u, cmd.options.corpus_run.jobs);
  EXPECT_TRUE(cmd.options.corpus_run.per_document);
  cmd = parse({"--pairs", "list", "--bootstrap", "100", "--seed", "18446744073709551615", "d"});
  ASSERT_EQ(command::action::run, cmd.what);
  EXPECT_TRUE(cmd.options.corpus);
  EXPECT_EQ("list", cmd.options.corpus_run.pairs_file);
  EXPECT_EQ(100u, cmd.options.corpus_run.bootstrap);
  EXPECT_EQ(18446744073709551615ull, cmd.options.corpus_run.seed);
  EXPECT_EQ("d", cmd.options.input.description);
  // Usage errors: a wrong number of names, values out of range, options
  // that need --corpus or --bootstrap.
  for (const std::vector<std::string>& words :
       std::vector<std::vector<std::string>>{{"--pairs", "l", "d", "r", "h"},
                                             {"--corpus", "d", "r"},
                                             {"--corpus", "-j", "0", "d", "r", "h"},
                                             {"--corpus", "-j", "1025", "d", "r", "h"},
                                             {"--corpus", "-j", " 2", "d", "r", "h"},
                                             {"--corpus", "--bootstrap", "-1", "d", "r", "h"},
                                             {"--corpus", "--seed", "1", "d", "r", "h"},
                                             {"--quiet", "d", "r", "h"},
                                             {"-j", "2", "d", "r", "h"},
                                             {"--missing-as-empty", "d", "r", "h"},
                                             {"--compare", "h2", "d", "r", "h"},
                                             {"--corpus", "--compare", "h2", "-d", "d", "r", "h"},
                                             {"--pairs", "l", "--compare", "h2", "d"}}) {
    cmd = parse(words);
    EXPECT_EQ(command::action::usage, cmd.what) << words[0] << " " << words[1];
    EXPECT_EQ(1, cmd.status);
  }
}

TEST(Options, OneFolderOfTokenPerLineFiles) {
  command cmd = parse({"--corpus", "--conll", "d", "data"});
  ASSERT_EQ(command::action::run, cmd.what);
  EXPECT_TRUE(cmd.options.input.one_file);
  EXPECT_EQ("data", cmd.options.corpus_run.reference_dir);
  EXPECT_EQ("", cmd.options.corpus_run.hypothesis_dir);
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"--corpus", "d", "data"},
           {"--corpus", "--conll", "--missing-as-empty", "d", "data"},
           {"--corpus", "--conll", "--compare", "h2", "d", "data"}}) {
    EXPECT_EQ(command::action::usage, parse(words).what) << words[1];
  }
}

TEST(Options, CompareTakesAThousandResamplesByDefault) {
  command cmd = parse({"--corpus", "--compare", "h2", "--seed", "4", "d", "r", "h"});
  ASSERT_EQ(command::action::run, cmd.what);
  EXPECT_EQ("h2", cmd.options.corpus_run.compare_dir);
  EXPECT_EQ(1000u, cmd.options.corpus_run.bootstrap);
  EXPECT_EQ(4u, cmd.options.corpus_run.seed);
}

TEST(Options, UsageText) {
  EXPECT_EQ(
      "Orvane\n"
      "\n"
      "Usage: ./bin/orvane [options] descr.lua ref-file hyp-file\n"
      "  -a                  reference is in \"aref\" format\n"
      "  -s                  show summary of results (default)\n"
      "  -d                  show detail of errors\n"
      "  -c                  show detail of errors and corrects\n"
      "  -i <expected_count> show IAG-type values\n"
      "  -o                  open - in IAG mode, there are no confusions\n"
      "  --search-limit <n>  give up past <n> partial solutions (default 200000)\n"
      "  --timeout <s>       give up after <s> seconds\n"
      "  --conll             documents are token-per-line files (CoNLL); with one\n"
      "                      file, its last two columns are the ref and hyp tags\n"
      "  --scheme <s>        --conll chunking: conlleval (default), iob2 or iobes\n"
      "  --types <a,b,...>   entity types, instead of the description's get_all_tags\n"
      "  --version           show the version\n"
      "  --json              write the results as one JSON document, not as text\n"
      "  --confusion         show which types were paired with which\n"
      "  --corpus            ref-file and hyp-file are folders of documents, paired\n"
      "                      by relative path; the reports cover every pair\n"
      "  --pairs <file>      --corpus pairs from <file>: ref<TAB>hyp per line;\n"
      "                      descr.lua is then the only name\n"
      "  --missing-as-empty  --corpus: a missing hyp-file has no entities\n"
      "  --per-document      --corpus: a line of figures per pair\n"
      "  -j <n>              --corpus: evaluate on <n> threads (default: cores)\n"
      "  --bootstrap <n>     --corpus: 95% intervals from <n> resamples\n"
      "  --seed <s>          --bootstrap: the resampling seed (default 1)\n"
      "  --quiet             --corpus: no progress line\n"
      "  --compare <dir>     --corpus: compare hyp-file's system with <dir>'s,\n"
      "                      a paired bootstrap over the documents\n"
      "  --html <file>       also write a page to view the outcomes in a browser\n"
      "  --columns <r,h>     --conll: the tag columns of ref and hyp, from 2 (1 is\n"
      "                      the token) or from the last: -1 (default -2,-1 in\n"
      "                      one file, -1 in each of two)\n"
      "  --table             a per-type table: P, R, F1, support; micro, macro and\n"
      "                      weighted averages\n"
      "  --only-types <a,..> score only entities of these types: the others are\n"
      "                      left out of both documents\n"
      "  --credit            also precision and recall from partial credit: a\n"
      "                      substitution earns 1 - its cost\n"
      "  --scenarios <a,..>  evaluate under each description (presets or files)\n"
      "                      and set the figures side by side; the file names\n"
      "                      are then the documents only\n"
      "  --format <f>        the documents' format: text (default), aref (as -a),\n"
      "                      conll (as --conll), or brat: .ann files over .txt\n"
      "                      files (a pair of .ann files is read so anyway), or\n"
      "                      jsonl: a document a line, its text and its spans,\n"
      "                      or labelstudio: Label Studio's JSON export\n"
      "  --annotator <r,h>   labelstudio: whose spans, the ref's and the hyp's: a\n"
      "                      completed_by value, #N (the N-th annotation), or\n"
      "                      prediction (default: the first not cancelled)\n"
      "  --merge             the file names are --json reports of runs over parts\n"
      "                      of a corpus (shards): report as one run over all\n"
      "  --shard <k/n>       --corpus: evaluate the k-th of n parts of the pairs\n"
      "                      (every n-th pair), for a later --merge\n"
      "\n"
      "\n",
      capture([](FILE* out) { print_usage(out, "./bin/orvane"); }));
  // The help adds the presets and the one-file form before the last lines.
  const std::string help = capture([](FILE* out) { print_usage(out, "./bin/orvane", true); });
  EXPECT_NE(std::string::npos,
            help.find("                      (every n-th pair), for a later --merge\n"
                      "\n"
                      "Presets, named instead of descr.lua: boundary, exact, partial, ser, type\n"))
      << help;
  EXPECT_NE(std::string::npos,
            help.find("  ./bin/orvane --conll [options] descr.lua data.conll\n\n\n"))
      << help;
  EXPECT_EQ("Try './bin/orvane --help' for more information.\n",
            capture([](FILE* out) { print_help_pointer(out, "./bin/orvane"); }));
}

}  // namespace
