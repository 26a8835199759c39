#include "corpus/shards.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/file_load.h"
#include "corpus/pairs.h"
#include "corpus/progress_line.h"
#include "readers/conll_chunks.h"
#include "reports/bootstrap.h"
#include "reports/document_table.h"
#include "reports/pooled.h"
#include "reports/report_plan.h"
#include "reports/summary.h"

namespace {

std::string comma_joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) {
    out += out.empty() ? "" : ",";
    out += name;
  }
  return out;
}

std::vector<std::string> split_names(const std::string& text) {
  std::vector<std::string> out;
  size_t from = 0;
  while (!text.empty()) {
    const size_t comma = text.find(',', from);
    out.push_back(text.substr(from, comma - from));
    if (comma == std::string::npos) {
      break;
    }
    from = comma + 1;
  }
  return out;
}

const char* format_name(const evaluation_input& input) {
  return input.reference_is_aref ? "aref"
         : input.conll           ? "conll"
         : input.standoff        ? "brat"
         : input.labelstudio     ? "labelstudio"
         : input.jsonl           ? "jsonl"
                                 : "text";
}

// The description's bytes tell it; a description that is no regular file
// (a pipe) cannot be read again, and has no digest.
std::string description_digest(const evaluation_input& input) {
  if (!input.description_source.empty()) {
    return digest_of(input.description_source.data(), input.description_source.size());
  }
  struct stat st;
  if (stat(input.description.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return std::string();
  }
  const text_buffer bytes = file_load(input.description.c_str());
  return digest_of(bytes.data(), bytes.size);
}

// The value of option `name` in `options`, or "" where it is not given.
const std::string& option_value(const shard_identity& id, const std::string& name) {
  static const std::string none;
  for (const auto& [n, v] : id.options) {
    if (n == name) {
      return v;
    }
  }
  return none;
}

// An option of the identity as the command line names it.
std::string option_shown(const std::string& name) {
  if (name == "annotators") {
    return "--annotator";
  }
  std::string shown = "--" + name;
  std::replace(shown.begin(), shown.end(), '_', '-');
  return shown;
}

// Each shard as the merge reads it, against the first.
void check_same(const shard_identity& first, const std::string& first_file,
                const shard_identity& other, const std::string& file) {
  const std::string a = shown_name(first_file), b = shown_name(file);
  if (other.program != first.program) {
    fatal(1,
          "Error: %s was made by orvane %s and %s by orvane %s: the results of two versions are "
          "not merged.\n",
          a.c_str(), shown_name(first.program).c_str(), b.c_str(),
          shown_name(other.program).c_str());
  }
  if (other.digest != first.digest) {
    fatal(1, "Error: %s and %s were made with different descriptions (%s and %s).\n", a.c_str(),
          b.c_str(), shown_name(first.description).c_str(), shown_name(other.description).c_str());
  }
  std::vector<std::string> names;
  for (const shard_identity* id : {&first, &other}) {
    for (const auto& option : id->options) {
      names.push_back(option.first);
    }
  }
  for (const std::string& name : names) {
    const std::string& x = option_value(first, name);
    const std::string& y = option_value(other, name);
    if (x != y) {
      fatal(1, "Error: %s and %s were made with different options (%s: %s and %s).\n", a.c_str(),
            b.c_str(), shown_name(option_shown(name)).c_str(),
            x.empty() ? "none" : shown_name(x).c_str(), y.empty() ? "none" : shown_name(y).c_str());
    }
  }
  if (other.declared_types != first.declared_types) {
    fatal(1,
          "Error: %s and %s list different types before their pairs' (%s and %s): they are "
          "shards of different corpora.\n",
          a.c_str(), b.c_str(), shown_name(comma_joined(first.declared_types)).c_str(),
          shown_name(comma_joined(other.declared_types)).c_str());
  }
}

// The parts of one split, each once and none missing.
void check_parts(const std::vector<std::string>& shards, const std::vector<shard_part>& parts) {
  size_t first = 0;  // the first shard that is a part
  while (parts[first].parts == 0) {
    first++;
  }
  const shard_part& one = parts[first];
  std::vector<size_t> given(one.parts, SIZE_MAX);  // by part: the shard that is it
  for (size_t i = 0; i < parts.size(); i++) {
    const shard_part& p = parts[i];
    if (p.parts == 0) {
      fatal(1,
            "Error: %s is a part of a corpus (--shard) and %s is not: they are not merged "
            "together.\n",
            shown_name(shards[first]).c_str(), shown_name(shards[i]).c_str());
    }
    if (p.parts != one.parts || p.corpus_pairs != one.corpus_pairs) {
      fatal(1,
            "Error: %s is part %zu of %zu of a corpus of %zu pairs, and %s part %zu of %zu of "
            "%zu pairs: parts of different splits are not merged.\n",
            shown_name(shards[first]).c_str(), one.part, one.parts, one.corpus_pairs,
            shown_name(shards[i]).c_str(), p.part, p.parts, p.corpus_pairs);
    }
    if (given[p.part - 1] != SIZE_MAX) {
      fatal(1, "Error: %s and %s are both part %zu of %zu.\n",
            shown_name(shards[given[p.part - 1]]).c_str(), shown_name(shards[i]).c_str(), p.part,
            p.parts);
    }
    given[p.part - 1] = i;
  }
  for (size_t k = 0; k < given.size(); k++) {
    if (given[k] == SIZE_MAX) {
      fatal(1, "Error: part %zu of %zu is missing: %zu of the %zu parts are given.\n", k + 1,
            one.parts, parts.size(), one.parts);
    }
  }
}

}  // namespace

shard_identity identity_of(const evaluation_input& input,
                           const std::vector<std::string>& declared_types) {
  shard_identity id;
  id.program = ORVANE_VERSION;
  id.description = input.description;
  id.digest = description_digest(input);
  id.options.emplace_back("format", format_name(input));
  if (input.labelstudio) {
    id.options.emplace_back("annotators",
                            input.reference_annotator + "," + input.hypothesis_annotator);
  }
  if (input.conll) {
    id.options.emplace_back("scheme", scheme_name(input.scheme));
    // The defaults as the columns they stand for, so that naming them counts
    // the same as not.
    const int reference = input.reference_column != 0 ? input.reference_column
                          : input.one_file            ? -2
                                                      : -1;
    const int hypothesis = input.hypothesis_column != 0 ? input.hypothesis_column : -1;
    id.options.emplace_back("columns",
                            std::to_string(reference) + "," + std::to_string(hypothesis));
  }
  id.options.emplace_back("types", comma_joined(input.types));
  id.options.emplace_back("only_types", comma_joined(input.only_types));
  id.declared_types = declared_types;
  return id;
}

int run_merge(const std::vector<std::string>& given, const report_options& reports,
              const merge_options& merge, FILE* out, FILE* err) {
  // A folder stands for the reports in it: more shards than a command line
  // holds.
  std::vector<std::string> shards;
  for (const std::string& name : given) {
    struct stat st;
    if (stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      std::vector<std::string> in_folder = files_in_folder(name, "shard", ".json");
      if (in_folder.empty()) {
        fatal(1, "Error: no .json file under %s.\n", shown_name(name).c_str());
      }
      shards.insert(shards.end(), in_folder.begin(), in_folder.end());
    } else {
      shards.push_back(name);
    }
  }
  // The merged confusion cells are read only by the reports that show them.
  shard_pairs pairs(reports.confusion || reports.json);
  shard_contents first;
  std::vector<shard_part> parts;  // each shard's
  bool same_documents = true;
  size_t leaves = 0;  // the shards merged, through the merges among them
  {
    progress_line progress(err, shards.size(), merge.progress && shards.size() > 10, "shards");
    for (size_t i = 0; i < shards.size(); i++) {
      shard_contents c = read_shard(shards[i], pairs, static_cast<uint32_t>(i));
      if (c.identity.digest.empty()) {
        fatal(1,
              "Error: %s was made with a description that is not a regular file (%s): what it "
              "was cannot be told, and its results are not merged.\n",
              shown_name(shards[i]).c_str(), shown_name(c.identity.description).c_str());
      }
      parts.push_back(c.part);
      leaves += std::max<size_t>(c.documents.shards, 1);
      same_documents = same_documents && c.documents.shards == 0;
      if (i == 0) {
        first = std::move(c);
      } else {
        check_same(first.identity, shards[0], c.identity, shards[i]);
        same_documents = same_documents && c.documents == first.documents;
      }
      progress.update(i + 1);
    }
  }
  // As the corpus run orders its pairs: by their places in it, for the
  // parts of one split (--shard); otherwise by their names, as over folders.
  const bool split =
      std::any_of(parts.begin(), parts.end(), [](const shard_part& p) { return p.parts > 0; });
  if (split) {
    check_parts(shards, parts);
  }
  std::vector<size_t> order(pairs.size());
  std::iota(order.begin(), order.end(), size_t(0));
  auto names_of = [&](size_t k) { return std::pair(pairs.reference(k), pairs.hypothesis(k)); };
  if (split) {
    std::sort(order.begin(), order.end(),
              [&](size_t x, size_t y) { return pairs.place(x) < pairs.place(y); });
  } else {
    // The pairs of one shard that bear the same names keep its order.
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return names_of(x) < names_of(y); });
  }
  int64_t entities = 0;
  uint64_t tokens = 0;
  for (size_t k = 0; k < order.size(); k++) {
    if (k > 0 && split && pairs.place(order[k - 1]) == pairs.place(order[k])) {
      fatal(1, "Error: %s lists the pair %s and %s twice.\n",
            shown_name(shards[pairs.shard(order[k])]).c_str(),
            shown_name(pairs.reference(order[k])).c_str(),
            shown_name(pairs.hypothesis(order[k])).c_str());
    }
    if (k > 0 && !split && names_of(order[k - 1]) == names_of(order[k]) &&
        pairs.shard(order[k - 1]) != pairs.shard(order[k])) {
      fatal(1, "Error: the pair %s and %s is in %s and in %s.\n",
            shown_name(pairs.reference(order[k])).c_str(),
            shown_name(pairs.hypothesis(order[k])).c_str(),
            shown_name(shards[pairs.shard(order[k - 1])]).c_str(),
            shown_name(shards[pairs.shard(order[k])]).c_str());
    }
    entities += pairs.entities(order[k]);
    if (__builtin_add_overflow(tokens, pairs.tokens(order[k]), &tokens)) {
      fatal(1, "Error: the shards hold more tokens than a report counts.\n");
    }
    if (entities > INT_MAX) {
      fatal(1, "Error: the shards hold more than %d entities, more than a report counts.\n",
            INT_MAX);
    }
  }
  if (split && pairs.size() != parts[0].corpus_pairs) {
    fatal(1, "Error: the parts hold %zu pairs, not the %zu of their corpus.\n", pairs.size(),
          parts[0].corpus_pairs);
  }
  if (pairs.size() == 0) {
    fatal(1, "Error: the shards hold no pair of documents.\n");
  }

  run_header header;
  header.corpus = true;
  header.description = first.documents.description;
  if (same_documents) {
    header.reference = first.documents.reference;
    header.hypothesis = first.documents.hypothesis;
    header.pairs_file = first.documents.pairs;
  } else {
    header.merged_shards = leaves;
  }
  header.shard = &first.identity;  // the whole corpus's: its pairs carry no places
  report_plan plan(reports, header, out);
  pooled_results pooled;
  pooled.declare_types(first.identity.declared_types);
  const bool keep_rows = merge.per_document || merge.bootstrap > 0;
  std::vector<document_row> rows;
  for (size_t k : order) {
    const std::string reference(pairs.reference(k)), hypothesis(pairs.hypothesis(k));
    document_report d;
    d.figures = pairs.figures(k);
    d.hypothesis_name = hypothesis;
    d.place = pairs.place(k);
    plan.document(reference, d);
    pooled.add(d.figures);
    if (keep_rows) {
      rows.push_back(row_of(reference, hypothesis, d.figures.counts));
    }
  }
  pairs = shard_pairs(false);
  warn_types_without_entities(err, pooled.counts(), pooled.types(),
                              split_names(option_value(first.identity, "only_types")));
  const bootstrap_report intervals =
      merge.bootstrap > 0 ? bootstrap(rows, merge.bootstrap, merge.seed) : bootstrap_report();
  corpus_sections sections;
  sections.table = merge.per_document ? &rows : nullptr;
  sections.intervals = merge.bootstrap > 0 ? &intervals : nullptr;
  sections.documents = rows.size();
  plan.finish(pooled, sections);
  return 0;
}
