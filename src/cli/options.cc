#include "cli/options.h"

#include <getopt.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "base/escape.h"
#include "cli/option_values.h"
#include "library/presets.h"
#include "model/vocabulary.h"

namespace {

command usage(FILE* stream, int status) {
  command c;
  c.what = command::action::usage;
  c.usage_stream = stream;
  c.status = status;
  return c;
}

// A fault of a newer option: its reason is out, a pointer to the help
// follows.
command own_usage_error() {
  command c = usage(stderr, 1);
  c.brief = true;
  return c;
}

// Whether the option that getopt_long could not take (its optopt: the
// option's value, or 0 for a name it does not know) is one of the newer
// options, whose value is missing or given where none is taken.
bool newer_option(int optopt_value) {
  return optopt_value == 'j' || optopt_value >= 1000;
}

}  // namespace

void print_usage(FILE* out, const char* progname, bool help) {
  fprintf(out,
          "Orvane\n"
          "\n"
          "Usage: %s [options] descr.lua ref-file hyp-file\n"
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
          "  --bootstrap <n>     --corpus: 95%% intervals from <n> resamples\n"
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
          "                      (every n-th pair), for a later --merge\n",
          progname);
  // What a first run needs beyond the options, for who asked for help.
  if (help) {
    fprintf(out,
            "\n"
            "Presets, named instead of descr.lua: %s\n"
            "  (exact counts as conlleval does; the README tells what each counts)\n"
            "One token-per-line file may hold both tag columns, the ref's then the hyp's:\n"
            "  %s --conll [options] descr.lua data.conll\n",
            preset_list().c_str(), progname);
  }
  fputs("\n\n", out);
  fflush(out);
}

void print_help_pointer(FILE* out, const char* progname) {
  fprintf(out, "Try '%s --help' for more information.\n", progname);
  fflush(out);
}

void print_version(FILE* out) {
  fprintf(out, "orvane %s\n", ORVANE_VERSION);
  fflush(out);
}

namespace {

enum option_id {
  search_limit_option = 1000,
  timeout_option,
  conll_option,
  scheme_option,
  types_option,
  version_option,
  json_option,
  confusion_option,
  corpus_option,
  pairs_option,
  missing_option,
  per_document_option,
  bootstrap_option,
  seed_option,
  quiet_option,
  compare_option,
  html_option,
  columns_option,
  table_option,
  only_types_option,
  credit_option,
  scenarios_option,
  format_option,
  annotator_option,
  merge_option,
  shard_option
};

const option optlist[] = {{"help", no_argument, nullptr, 'h'},
                          {"search-limit", required_argument, nullptr, search_limit_option},
                          {"timeout", required_argument, nullptr, timeout_option},
                          {"conll", no_argument, nullptr, conll_option},
                          {"scheme", required_argument, nullptr, scheme_option},
                          {"types", required_argument, nullptr, types_option},
                          {"version", no_argument, nullptr, version_option},
                          {"json", no_argument, nullptr, json_option},
                          {"confusion", no_argument, nullptr, confusion_option},
                          {"corpus", no_argument, nullptr, corpus_option},
                          {"pairs", required_argument, nullptr, pairs_option},
                          {"missing-as-empty", no_argument, nullptr, missing_option},
                          {"per-document", no_argument, nullptr, per_document_option},
                          {"bootstrap", required_argument, nullptr, bootstrap_option},
                          {"seed", required_argument, nullptr, seed_option},
                          {"quiet", no_argument, nullptr, quiet_option},
                          {"compare", required_argument, nullptr, compare_option},
                          {"html", required_argument, nullptr, html_option},
                          {"columns", required_argument, nullptr, columns_option},
                          {"table", no_argument, nullptr, table_option},
                          {"only-types", required_argument, nullptr, only_types_option},
                          {"credit", no_argument, nullptr, credit_option},
                          {"scenarios", required_argument, nullptr, scenarios_option},
                          {"format", required_argument, nullptr, format_option},
                          {"annotator", required_argument, nullptr, annotator_option},
                          {"merge", no_argument, nullptr, merge_option},
                          {"shard", required_argument, nullptr, shard_option},
                          {nullptr, 0, nullptr, 0}};

// What the parse keeps besides the options' values.
struct parse_state {
  const char* progname;
  std::vector<const char*> names;  // the file names, in order
  bool scheme_given = false;
  bool seed_given = false;
  bool format_given = false;
  bool annotator_given = false;
  const char* corpus_only = nullptr;  // the last option given that needs --corpus
  // The last option given that reads documents, which a merge does not.
  std::string reads_documents;
};

// An option's name as typed, from its value in the parse.
std::string option_name(int c) {
  if (c < 1000) {
    return std::string("-") + static_cast<char>(c);
  }
  for (const option& o : optlist) {
    if (o.name && o.val == c) {
      return std::string("--") + o.name;
    }
  }
  return std::string();
}

// A fault of a newer option: "PROGNAME: " and the reason on standard error,
// and the command that ends with a pointer to the help.
command usage_error(const parse_state& st, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));

command usage_error(const parse_state& st, const char* fmt, ...) {
  fprintf(stderr, "%s: ", st.progname);
  va_list args;
  va_start(args, fmt);
  vfprintf(stderr, fmt, args);
  va_end(args);
  fputc('\n', stderr);
  return own_usage_error();
}

// -j, --bootstrap and --seed: a whole number in a range.
std::optional<command> take_count(int c, const char* value, corpus_options& corpus,
                                  parse_state& st) {
  const char* name = c == 'j' ? "-j" : c == seed_option ? "--seed" : "--bootstrap";
  unsigned long long n;
  const unsigned long long most = c == seed_option ? ~0ull : c == 'j' ? 1024 : 1000000;
  if (!whole_number(value, n) || n > most || (n == 0 && c != seed_option)) {
    return usage_error(st, "%s takes a whole number from %d to %llu, not '%s'", name,
                       c == seed_option ? 0 : 1, most, shown_name(value).c_str());
  }
  if (c == 'j') {
    corpus.jobs = static_cast<unsigned>(n);
  } else if (c == seed_option) {
    corpus.seed = n;
    st.seed_given = true;
  } else {
    corpus.bootstrap = static_cast<unsigned>(n);
  }
  st.corpus_only = name;
  return std::nullopt;
}

// Takes one option (or file name, as option 1) into `cmd`; a command to end
// the parse with, when the option says so or is at fault.
std::optional<command> take_option(int c, const char* value, command& cmd, parse_state& st) {
  report_options& reports = cmd.options.reports;
  evaluation_input& input = cmd.options.input;
  corpus_options& corpus = cmd.options.corpus_run;
  switch (c) {
    case 'a':
    case 'd':
    case 'c':
    case 'j':
    case search_limit_option:
    case timeout_option:
    case conll_option:
    case scheme_option:
    case types_option:
    case corpus_option:
    case pairs_option:
    case missing_option:
    case compare_option:
    case html_option:
    case columns_option:
    case only_types_option:
    case scenarios_option:
    case format_option:
    case annotator_option:
    case shard_option:
      st.reads_documents = option_name(c);
      break;
    default:
      break;
  }
  switch (c) {
    case 1:
      st.names.push_back(value);
      break;
    case 'a':
      input.reference_is_aref = true;
      break;
    case 's':
      reports.summary = true;
      break;
    case 'd':
      reports.details = true;
      break;
    case 'c':
      reports.details_correct = true;
      reports.details = true;
      break;
    case 'i':
      reports.agreement = true;
      reports.expected_count = expected_count_value(value);
      break;
    case 'o':
      reports.open = true;
      break;
    case search_limit_option: {
      unsigned long long n;
      if (!whole_number(value, n) || n == 0 || n > std::numeric_limits<size_t>::max() / 4) {
        return usage_error(st, "--search-limit takes a positive whole number, not '%s'",
                           shown_name(value).c_str());
      }
      input.limits.max_partial_solutions = static_cast<size_t>(n);
      input.limits.max_alternatives = 4 * static_cast<size_t>(n);
      break;
    }
    case timeout_option: {
      unsigned long long n;
      // alarm() takes an unsigned int of seconds; a day is more than enough.
      if (!whole_number(value, n) || n == 0 || n > 86400) {
        return usage_error(st,
                           "--timeout takes a whole number of seconds from 1 to 86400, not '%s'",
                           shown_name(value).c_str());
      }
      cmd.options.timeout_seconds = static_cast<unsigned>(n);
      break;
    }
    case conll_option:
      input.conll = true;
      break;
    case columns_option:
      if (!column_pair(value, input.reference_column, input.hypothesis_column)) {
        return usage_error(st,
                           "--columns takes two tag columns R,H, each from 2 to 1000 or from -1 "
                           "to -1000, not '%s'",
                           shown_name(value).c_str());
      }
      break;
    case scheme_option:
      if (!scheme_from_name(value, input.scheme)) {
        return usage_error(st,
                           "--scheme takes conlleval, iob2 (or bio) or iobes (or bioes, bilou), "
                           "in any case, not '%s'",
                           shown_name(value).c_str());
      }
      st.scheme_given = true;
      break;
    case types_option:
    case only_types_option: {
      const char* option = c == types_option ? "--types" : "--only-types";
      std::vector<std::string>& names = c == types_option ? input.types : input.only_types;
      names.clear();
      if (!split_type_names(value, names)) {
        return usage_error(st, "%s takes type names separated by commas, not '%s'", option,
                           shown_name(value).c_str());
      }
      for (const std::string& name : names) {
        if (!nameable_type(name)) {
          return usage_error(
              st, "%s: '%s' is no type name (a name holds no blank or control character)", option,
              shown_name(name).c_str());
        }
      }
      break;
    }
    case json_option:
      reports.json = true;
      break;
    case confusion_option:
      reports.confusion = true;
      break;
    case table_option:
      reports.table = true;
      break;
    case credit_option:
      reports.credit = true;
      break;
    case scenarios_option:
      cmd.options.scenarios.clear();
      if (!split_type_names(value, cmd.options.scenarios)) {
        return usage_error(st, "--scenarios takes descriptions separated by commas, not '%s'",
                           shown_name(value).c_str());
      }
      break;
    case corpus_option:
      cmd.options.corpus = true;
      break;
    case pairs_option:
      cmd.options.corpus = true;
      corpus.pairs_file = value;
      corpus.from_list = true;
      break;
    case missing_option:
      corpus.missing_as_empty = true;
      st.corpus_only = "--missing-as-empty";
      break;
    case per_document_option:
      corpus.per_document = true;
      st.corpus_only = "--per-document";
      break;
    case format_option:
      if (!strcmp(value, "aref")) {
        input.reference_is_aref = true;
      } else if (!strcmp(value, "conll")) {
        input.conll = true;
      } else if (!strcmp(value, "brat")) {
        input.standoff = true;
      } else if (!strcmp(value, "jsonl")) {
        input.jsonl = true;
      } else if (!strcmp(value, "labelstudio")) {
        input.jsonl = input.labelstudio = true;
      } else if (strcmp(value, "text") != 0) {
        return usage_error(st,
                           "--format takes text, aref, conll, brat, jsonl or labelstudio, not '%s'",
                           shown_name(value).c_str());
      }
      st.format_given = true;
      break;
    case annotator_option: {
      // One choice for both documents, or the reference's and the
      // hypothesis's apart.
      const std::string both = value;
      const size_t comma = both.find(',');
      input.reference_annotator = both.substr(0, comma);
      input.hypothesis_annotator = comma == std::string::npos ? both : both.substr(comma + 1);
      st.annotator_given = true;
      break;
    }
    case html_option:
      if (!*value) {
        return usage_error(st, "--html takes a file name");
      }
      reports.html_file = value;
      break;
    case compare_option:
      corpus.compare_dir = value;
      corpus.compare = true;
      st.corpus_only = "--compare";
      break;
    case merge_option:
      cmd.options.merge = true;
      break;
    case shard_option: {
      // "K/N": two whole numbers, 1 <= K <= N.
      const std::string text = value;
      const size_t slash = text.find('/');
      unsigned long long k = 0, n = 0;
      if (slash == std::string::npos || !whole_number(text.substr(0, slash).c_str(), k) ||
          !whole_number(text.substr(slash + 1).c_str(), n) || k == 0 || k > n || n > 1000000) {
        return usage_error(st,
                           "--shard takes K/N, whole numbers with 1 <= K <= N <= 1000000, not '%s'",
                           shown_name(value).c_str());
      }
      corpus.shard = static_cast<size_t>(k - 1);
      corpus.shards = static_cast<size_t>(n);
      st.corpus_only = "--shard";
      break;
    }
    case quiet_option:
      cmd.options.quiet = true;
      st.corpus_only = "--quiet";
      break;
    case 'j':
    case bootstrap_option:
    case seed_option:
      return take_count(c, value, corpus, st);
    case version_option: {
      command version;
      version.what = command::action::version;
      return version;
    }
    case 'h':
      return usage(stdout, 0);
    default:
      // The specified reply for an option it does not know; the newer
      // options' faults point to the help.
      return newer_option(optopt) ? own_usage_error() : usage(stderr, 1);
  }
  return std::nullopt;
}

// The rules between options, once all are read.
std::optional<command> check_combinations(command& cmd, const parse_state& st) {
  const report_options& reports = cmd.options.reports;
  const evaluation_input& input = cmd.options.input;
  corpus_options& corpus = cmd.options.corpus_run;
  if (input.conll && input.reference_is_aref) {
    return usage_error(st, "-a does not apply to --conll documents");
  }
  if ((input.standoff || input.jsonl) && (input.conll || input.reference_is_aref)) {
    return usage_error(st, "--format %s does not go with %s",
                       input.standoff      ? "brat"
                       : input.labelstudio ? "labelstudio"
                                           : "jsonl",
                       input.conll ? "--conll" : "-a");
  }
  if (st.annotator_given && !input.labelstudio) {
    return usage_error(st, "--annotator applies to --format labelstudio only");
  }
  if (!input.only_types.empty() && input.reference_is_aref) {
    return usage_error(st, "--only-types does not go with -a");
  }
  if (st.scheme_given && !input.conll) {
    return usage_error(st, "--scheme applies to --conll documents only");
  }
  if (input.reference_column != 0 && !input.conll) {
    return usage_error(st, "--columns applies to --conll documents only");
  }
  if (cmd.options.merge) {
    // A merge reads results, not documents: what it reports is all it takes.
    if (!st.reads_documents.empty()) {
      return usage_error(st, "--merge does not go with %s: shards hold counts, not documents",
                         st.reads_documents.c_str());
    }
    if (st.seed_given && corpus.bootstrap == 0) {
      return usage_error(st, "--seed applies to --bootstrap only");
    }
    if (st.names.empty()) {
      return usage_error(st, "--merge takes the shards' JSON reports");
    }
    return std::nullopt;
  }
  if (st.corpus_only && !cmd.options.corpus) {
    return usage_error(st, "%s applies to --corpus only", st.corpus_only);
  }
  if (!cmd.options.scenarios.empty()) {
    // One table of figures per description: no listing, page or second system.
    const char* other = reports.details              ? "-d and -c"
                        : reports.agreement          ? "-i"
                        : reports.confusion          ? "--confusion"
                        : !reports.html_file.empty() ? "--html"
                        : corpus.compare             ? "--compare"
                        : corpus.per_document        ? "--per-document"
                        : corpus.bootstrap != 0      ? "--bootstrap"
                        : corpus.shards != 0         ? "--shard"
                                                     : nullptr;
    if (other) {
      return usage_error(st, "--scenarios does not go with %s", other);
    }
  }
  if (st.seed_given && corpus.bootstrap == 0 && !corpus.compare) {
    return usage_error(st, "--seed applies to --bootstrap and --compare only");
  }
  if (corpus.compare) {
    // The comparison is its own report, over two folders.
    const char* other = corpus.from_list             ? "--pairs"
                        : corpus.shards != 0         ? "--shard"
                        : !reports.html_file.empty() ? "--html"
                        : reports.details            ? "-d and -c"
                        : reports.agreement          ? "-i"
                        : reports.confusion          ? "--confusion"
                        : corpus.per_document        ? "--per-document"
                        : reports.credit             ? "--credit"
                                                     : nullptr;
    if (other) {
      return usage_error(st, "--compare does not go with %s", other);
    }
    if (corpus.bootstrap == 0) {
      corpus.bootstrap = 1000;
    }
  }
  return std::nullopt;
}

// The file names of a corpus run: a pairs file names the documents;
// otherwise two folders do, or one of token-per-line files that hold both.
command with_corpus_names(command cmd, const parse_state& st) {
  evaluation_input& input = cmd.options.input;
  corpus_options& corpus = cmd.options.corpus_run;
  const std::vector<const char*>& names = st.names;
  const bool one_folder = input.conll && !corpus.from_list && names.size() == 2;
  if (names.size() != (corpus.from_list ? 1u : one_folder ? 2u : 3u)) {
    return usage_error(st, "%s",
                       corpus.from_list ? "--pairs takes descr.lua alone"
                                        : "--corpus takes descr.lua and two folders (with "
                                          "--conll, or one, or token-per-line files)");
  }
  if (one_folder && (corpus.missing_as_empty || corpus.compare)) {
    return usage_error(st, "%s needs a hypothesis folder",
                       corpus.missing_as_empty ? "--missing-as-empty" : "--compare");
  }
  input.description = names[0];
  input.one_file = one_folder;
  corpus.one_folder = one_folder;
  if (!corpus.from_list) {
    corpus.reference_dir = names[1];
    corpus.hypothesis_dir = one_folder ? std::string() : names[2];
  }
  return cmd;
}

}  // namespace

command parse_command_line(int argc, char** argv) {
  command cmd;
  parse_state st;
  st.progname = argv[0] ? argv[0] : "orvane";
  optind = 0;  // a full reset of the parser's state: every parse starts from scratch
  int c;
  // A leading '-' hands back each file name in place, as option 1: options
  // may come after the names even where POSIXLY_CORRECT would stop the
  // parse at the first of them.
  while ((c = getopt_long(argc, argv, "-hasdci:oj:", optlist, nullptr)) != -1) {
    if (std::optional<command> end = take_option(c, optarg, cmd, st)) {
      return *end;
    }
  }
  report_options& reports = cmd.options.reports;
  if (!reports.summary && !reports.details && !reports.agreement) {
    reports.summary = true;
  }
  for (int i = optind; i < argc; i++) {
    st.names.push_back(argv[i]);  // after "--"
  }
  // The names are the documents': the first scenario stands where the
  // description would.
  if (!cmd.options.scenarios.empty()) {
    st.names.insert(st.names.begin(), cmd.options.scenarios.front().c_str());
  }
  if (std::optional<command> fault = check_combinations(cmd, st)) {
    return *fault;
  }
  if (cmd.options.merge) {
    cmd.options.shards.assign(st.names.begin(), st.names.end());
    return cmd;
  }
  if (cmd.options.corpus) {
    return with_corpus_names(std::move(cmd), st);
  }
  // One token-per-line file may hold both documents.
  evaluation_input& input = cmd.options.input;
  const std::vector<const char*>& names = st.names;
  if (!cmd.options.scenarios.empty() && names.size() != 3 && !(input.conll && names.size() == 2)) {
    return usage_error(st,
                       "--scenarios takes the two documents (or one --conll file) alone: the "
                       "scenarios are the descriptions");
  }
  if (names.size() != 3 && !(input.conll && names.size() == 2)) {
    command wrong_count = usage(stderr, 1);
    wrong_count.names.assign(names.begin(), names.end());
    wrong_count.options = cmd.options;
    return wrong_count;
  }
  input.description = names[0];
  input.reference = names[1];
  input.one_file = names.size() == 2;
  if (!input.one_file) {
    input.hypothesis = names[2];
  }
  // Two annotation files are read as such unless a format was named.
  auto ends_in_ann = [](const std::string& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".ann") == 0;
  };
  if (!st.format_given && !input.conll && !input.reference_is_aref && !input.one_file &&
      ends_in_ann(input.reference) && ends_in_ann(input.hypothesis)) {
    input.standoff = true;
  }
  return cmd;
}
