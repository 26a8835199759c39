// One evaluation of one document pair: the task description, the two
// documents, their entities, the segments and the alignment, all owned here
// and freed with it. Evaluations share nothing, so several may run in one
// process, one after the other or side by side on threads.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "alignment/align.h"
#include "base/file_load.h"
#include "description/description.h"
#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"
#include "readers/conll_chunks.h"
#include "readers/conll_reader.h"
#include "reports/evaluated_pair.h"

// A document that is a stretch of a file already read: one of the documents
// of a token-per-line file. The file's name stays the document's, in
// messages and listings, and its lines are the file's.
struct file_part {
  std::shared_ptr<const text_buffer> file;  // none: the whole file is read
  size_t begin = 0;
  size_t end = 0;
  int32_t first_line = 1;
  // A Label Studio export's task already written as a JSON line (a corpus
  // reads the export once, then each task as a part); otherwise a part is
  // the whole export, held in memory.
  bool task_line = false;
};

struct evaluation_input {
  std::string description;  // the task description script
  // When not empty, the script itself, which `description` then names.
  std::string description_source;
  // The evaluation runs inside a caller's program (the library): the
  // description's os.exit raises an error instead of ending it.
  bool embedded = false;
  std::string reference;   // the reference document
  std::string hypothesis;  // the hypothesis document, unless `one_file`
  bool reference_is_aref = false;
  // Standoff documents: `reference` and `hypothesis` name annotation files
  // (.ann), each over the text file of the same name with .txt in place of
  // .ann. A hypothesis without its own text file is read over the
  // reference's. Types that they use and nothing declared are added after
  // the declared ones.
  bool standoff = false;
  // JSON lines of spans: each line a document's text and its spans (see
  // readers/jsonl_reader.h). Types are added as for standoff documents.
  bool jsonl = false;
  // With `jsonl`: the documents are Label Studio exports, each task read as
  // a line of JSON lines with the spans of the annotation that
  // `reference_annotator` and `hypothesis_annotator` choose (see
  // readers/labelstudio_reader.h). Parts of documents (a corpus's) are
  // lines already.
  bool labelstudio = false;
  std::string reference_annotator;
  std::string hypothesis_annotator;
  search_limits limits;
  // Token-per-line documents, grouped into entities under `scheme`. Types
  // that they use and nothing declared are added after the declared ones.
  bool conll = false;
  // With `conll`: the reference file holds both documents, the reference's
  // tags in the column before the last and the hypothesis's in the last.
  bool one_file = false;
  chunk_scheme scheme = chunk_scheme::conlleval;
  // With `conll`: the tag columns of the reference and of the hypothesis
  // (counted from 1 at the first column, from -1 at the last), in the one
  // file or each in its own; empty: the defaults above, and guesses warned
  // about where a layout looks wrong.
  int reference_column = 0;
  int hypothesis_column = 0;
  // The hypothesis is not read: it is the reference's text without any
  // entity (a corpus's missing hypothesis). `hypothesis` still names it.
  bool empty_hypothesis = false;
  // Entity types given instead of the description's get_all_tags, which is
  // then not called. Empty: the description's (optional with `conll`).
  std::vector<std::string> types;
  // When not empty, the only entity types scored: the entities of others
  // are left out of both documents before anything is asked of them (not
  // with `reference_is_aref`).
  std::vector<std::string> only_types;
  // The documents as bytes held already (the whole of each buffer, for
  // annotated text and aref). With `conll`: parts of files read already, and whether
  // the whole files were checked already (check_documents), so that
  // warnings are not given again for each part, nor a fault that only the
  // whole file can tell (a scheme that fits none of its tags).
  file_part reference_part;
  file_part hypothesis_part;
  bool checked = false;
  // With `conll` and two files: the reference file was checked already,
  // against another hypothesis file, and its own warnings were given; those
  // of the hypothesis file and of the pair still are.
  bool reference_checked = false;
};

// A document's bytes: those of `part` when it holds some, else the file's.
text_buffer document_bytes(const std::string& path, const file_part& part);

// Runs the script of `input` in `description`.
void load_description(task_description& description, const evaluation_input& input);

// How the token-per-line files of `input` are read: the reference file
// (with one file, both tag columns), or the hypothesis file.
conll_reading conll_reading_of(const evaluation_input& input, bool hypothesis);

class evaluation {
 public:
  // Warnings (tokens that fit no entity) go to `warnings` as they arise.
  // With `description`, an interpreter that has already run the script,
  // the evaluation borrows it instead of making its own: the caller of many
  // evaluations loads the script once. It must outlive the evaluation.
  explicit evaluation(evaluation_input input, FILE* warnings = stderr,
                      task_description* description = nullptr);
  ~evaluation();
  evaluation(const evaluation&) = delete;
  evaluation& operator=(const evaluation&) = delete;

  // Runs the whole pipeline once: description, documents, entities, costs,
  // alignment. A fault of the input throws a fatal_error (base/fatal.h)
  // before anything is reported. The description's interpreter stays open
  // until the evaluation is destroyed.
  void run();

  // The caller's stop flag (search_limits::stop) is no longer looked at:
  // for an evaluation kept after its run, past the flag's life.
  void release_stop();

  // What the reports read; valid after run() has returned.
  evaluated_pair result() const;

  // With `conll`: reads the documents and gives their warnings and faults,
  // without evaluating them (the documents of a file are then evaluated
  // apart, `checked`). Runs instead of run(). Returns the entity types in
  // the order that run() would give them.
  std::vector<std::string> check_documents();

 private:
  void start();  // names, description, types
  void declare_types();
  void read_documents();
  void read_conll_documents();     // in conll_documents.cc
  void read_standoff_documents();  // in standoff_documents.cc
  void read_jsonl_documents();     // in jsonl_documents.cc
  text_buffer bytes_of(const std::string& path, const file_part& part, const char* shown,
                       const std::string& annotator);
  void warn(const std::string& text);
  // Warnings of a two-file layout that looks wrong (one file twice, a file
  // of predictions as the reference), when no columns were named.
  void warn_layout(const conll_document& ref, const conll_document& hyp);
  // The hypothesis's file name, the reference's with one file.
  const char* hypothesis_name() const;

  evaluation_input input_;
  std::string ref_shown_;  // the file names as messages show them
  std::string hyp_shown_;
  FILE* warnings_;
  vocabularies vocab_;
  std::unique_ptr<task_description> own_description_;
  task_description* description_;
  text_buffer ref_text_;  // the reference's bare text, which every position indexes
  entity_set ref_ents_;
  entity_set hyp_ents_;
  segment_set segments_;
  substitution_costs costs_;
  alignment_result result_;
  std::vector<annotation_source> ref_sources_;  // standoff and JSON-lines documents' spans
  std::vector<annotation_source> hyp_sources_;
  uint64_t tokens_ = 0;  // token-per-line documents: tokens, and those of equal tags
  uint64_t equal_tags_ = 0;
  bool done_ = false;
};
