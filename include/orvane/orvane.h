// orvane as a library: the evaluation of one pair of annotated documents
// (a reference and a hypothesis), or of a corpus of pairs, under a task
// description, with the results as values. Each call owns all it builds, so calls may run side by
// side on threads.
//
//   orvane::options o;
//   o.description = orvane::description::preset("exact");
//   orvane::result r = orvane::evaluate(orvane::document::file("ref.txt"),
//                                       orvane::document::file("hyp.txt"), o);
//   printf("%.1f%%\n", r.summary.f_measure_pct);
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "orvane/values.h"

namespace orvane {

// A fault of the input (a malformed document, a description that fails, a
// file that cannot be read): the message the command line prints, without
// its final newline, the exit status it ends with (1, or 2 for a file that
// cannot be read), and the warnings given before it.
class error : public std::runtime_error {
 public:
  error(const std::string& message, int status, std::string warnings = std::string())
      : std::runtime_error(message), status_(status), warnings_(std::move(warnings)) {}
  int status() const noexcept { return status_; }
  const std::string& warnings() const noexcept { return warnings_; }

 private:
  int status_;
  std::string warnings_;
};

// A document: read from a file, or given as bytes with the name that
// messages and listings give it.
struct document {
  std::string name;
  std::string bytes;
  bool from_file = false;

  static document file(std::string path) { return document{std::move(path), {}, true}; }
  static document text(std::string name, std::string bytes) {
    return document{std::move(name), std::move(bytes), false};
  }
};

// The task description: a preset shipped with orvane (by name: "exact",
// "boundary", ...), a Lua script given as text, or a script's file.
struct description {
  enum class kind { preset, source, file };
  kind how = kind::preset;
  std::string value = "exact";  // the preset's name, the script, or the file's path
  std::string name;             // a script given as text: its name in messages

  static description preset(std::string name) { return {kind::preset, std::move(name), {}}; }
  static description source(std::string lua, std::string name = "description") {
    return {kind::source, std::move(lua), std::move(name)};
  }
  static description file(std::string path) { return {kind::file, std::move(path), {}}; }
};

enum class format {
  annotated_text,  // inline tags: <pers>Jean</pers>
  aref,            // the reference only: the text with tags referring to markers
  token_per_line,  // a token and its tags per line, blank lines between sentences
  brat,            // both sides: an annotation file (.ann) over its text file (.txt)
  jsonl,           // both sides: JSON lines, a document's text and spans a line
  labelstudio,     // both sides: Label Studio's JSON export (see the annotators below)
};

struct options {
  description task;
  format reference_format = format::annotated_text;  // the hypothesis is annotated text,
                                                     // or token-per-line with the reference
  // Token-per-line tags: "conlleval", "iob2" ("bio"), "iobes" ("bioes", "bilou").
  std::string scheme = "conlleval";
  // The tag columns, counted from 1 at the first or from -1 at the last;
  // 0: the last.
  int reference_column = 0;
  int hypothesis_column = 0;
  // Label Studio exports: whose spans each side takes ("" the first
  // annotation not cancelled, "#N" the N-th, a completed_by value, or
  // "prediction", "prediction#N").
  std::string reference_annotator;
  std::string hypothesis_annotator;
  // Entity types instead of the description's get_all_tags.
  std::vector<std::string> types;
  // When not empty, only the entities of these types are scored: the others
  // are left out of both documents (not with an aref reference).
  std::vector<std::string> only_types;
  // Where presets are looked for; empty: where orvane was installed, or
  // its source tree.
  std::vector<std::string> preset_folders;
  // When set, from any thread, the evaluation ends soon after with an
  // orvane::error ("Error: the evaluation was interrupted."): a caller's
  // way to stop a long one.
  const std::atomic<bool>* stop = nullptr;
};

// The reports as the command line writes them.
struct report_choice {
  bool summary = true;
  bool details = false;        // the listing of errors
  bool with_corrects = false;  // ... and of correct pairings
  bool confusion = false;
  bool table = false;   // the per-type table with micro, macro and weighted averages
  bool credit = false;  // precision and recall from partial credits
  bool agreement = false;
  bool open = false;       // agreement: no confusions between types
  int expected_count = 0;  // agreement: the items the campaign expected
};

class result {
 public:
  summary_report summary;
  std::string warnings;  // what the command line writes to standard error

  // Made when asked for, from the evaluation the result keeps: a large
  // document has many outcomes, which a caller may not want.
  std::vector<confusion_entry> confusion() const;  // by reference type, then hypothesis type
  std::vector<outcome_value> outcomes() const;     // every one, corrects too, in listing order

  agreement_report agreement(int expected_count = 0, bool open = false) const;
  // The text reports, and the JSON document, as the command line writes
  // them for this pair.
  std::string text(const report_choice& reports = report_choice()) const;
  std::string json(const report_choice& reports = report_choice()) const;

  struct state;  // the evaluation, kept for the reports

 private:
  std::shared_ptr<const state> state_;
  friend struct result_access;
};

// Evaluates `hypothesis` against `reference`. Throws orvane::error.
result evaluate(const document& reference, const document& hypothesis,
                const options& options = orvane::options());

// A corpus: pairs of documents, each evaluated on its own and the results
// pooled, as the command line's --corpus pools them.
struct corpus {
  std::vector<std::pair<document, document>> pairs;  // (reference, hypothesis)
  // What the reports name the two sides: folders, or any name.
  std::string reference = "reference";
  std::string hypothesis = "hypothesis";

  // The files of two folders paired by relative path, as the command line's
  // --corpus pairs them (of brat documents, the .ann files only). Throws
  // orvane::error.
  static corpus folders(const std::string& reference_dir, const std::string& hypothesis_dir,
                        format documents = format::annotated_text);
};

// The corpus's own sections of the reports.
struct corpus_choice {
  bool per_document = false;  // a line of figures per pair, before the summary
  unsigned bootstrap = 0;     // resamples for 95% intervals, to 1,000,000; 0: none
  uint64_t seed = 1;
  // When set, from any thread, the resampling ends soon after with an
  // orvane::error, as options::stop ends an evaluation.
  const std::atomic<bool>* stop = nullptr;
};

class corpus_result {
 public:
  summary_report summary;  // pooled over the pairs
  std::string warnings;    // every pair's, in corpus order

  // Each pair's own result, in corpus order.
  const std::vector<result>& documents() const;
  // Pooled over the pairs, types matched by name.
  std::vector<confusion_entry> confusion() const;
  agreement_report agreement(int expected_count = 0, bool open = false) const;
  // 95% intervals over `resamples` resamples of the documents (1 to
  // 1,000,000); the same seed gives the same intervals.
  bootstrap_report bootstrap(unsigned resamples = 1000, uint64_t seed = 1,
                             const std::atomic<bool>* stop = nullptr) const;
  std::string text(const report_choice& reports = report_choice(),
                   const corpus_choice& sections = corpus_choice()) const;
  std::string json(const report_choice& reports = report_choice(),
                   const corpus_choice& sections = corpus_choice()) const;

  struct state;

 private:
  std::shared_ptr<const state> state_;
  friend struct corpus_access;
};

// Evaluates every pair of `c` on `threads` threads (0: one per core); the
// results are those of one thread. The first pair that fails, in corpus
// order, throws its orvane::error (the pairs running then finish, no other
// starts).
corpus_result evaluate_corpus(const corpus& c, const options& options = orvane::options(),
                              unsigned threads = 0);

// Two systems over the same references (the same documents in the same
// order): the difference of their F-measures and slot error rates, with a
// paired bootstrap over the documents, and the reports the command line's
// --compare writes. With `per_type`, as --compare --table: each type's
// F-measures and their difference too, in `values.per_type` and the reports.
struct comparison {
  comparison_report values;
  std::string text;
  std::string json;
};
comparison compare(const corpus_result& one, const corpus_result& two, unsigned resamples = 1000,
                   uint64_t seed = 1, const std::atomic<bool>* stop = nullptr,
                   bool per_type = false);

}  // namespace orvane
