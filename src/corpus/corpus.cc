#include "corpus/corpus.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/output_file.h"
#include "corpus/pair_evaluation.h"
#include "corpus/pairs.h"
#include "corpus/progress_line.h"
#include "corpus/shards.h"
#include "corpus/worker_pool.h"
#include "reports/bootstrap.h"
#include "reports/document_table.h"
#include "reports/pooled.h"
#include "reports/report_plan.h"
#include "reports/summary.h"

namespace {

// The pairs of a corpus, and what a whole-file reading tells of them.
struct corpus_pairs {
  std::vector<document_pair> pairs;
  // Of token-per-line files: the entity types in the order a run over the
  // whole files gives them, which the pooled reports keep.
  std::vector<std::string> types;
};

// A corpus of one file's documents takes a file on the hypothesis's side too.
void check_two_files(const std::string& reference_file, const std::string& hypothesis) {
  if (!is_regular_file(hypothesis)) {
    fatal(1, "Error: %s is a file and %s is not: --corpus takes two folders, or two files.\n",
          shown_name(reference_file).c_str(), shown_name(hypothesis).c_str());
  }
}

// The documents of token-per-line files (one, or two) rather than of
// folders: their warnings and the faults only whole files can show are
// given once, by reading them whole, before the documents are evaluated.
// `first_system`, when given, holds the pairs of another system over the
// same reference file, whose bytes are taken from there, and whose
// warnings were given.
corpus_pairs documents_of_files(const evaluation_input& base, const corpus_options& corpus,
                                const std::string& hypothesis_file, FILE* err,
                                const std::vector<document_pair>* first_system) {
  if (!corpus.one_folder) {
    check_two_files(corpus.reference_dir, hypothesis_file);
  }
  std::shared_ptr<const text_buffer> reference;
  if (first_system && !first_system->empty()) {
    reference = first_system->front().reference_part.file;
  }
  corpus_pairs out;
  out.pairs = pairs_from_conll_files(base, corpus.reference_dir,
                                     corpus.one_folder ? "" : hypothesis_file, reference);
  evaluation_input whole = base;
  whole.reference = corpus.reference_dir;
  whole.hypothesis = corpus.one_folder ? std::string() : hypothesis_file;
  whole.reference_checked = reference != nullptr;
  for (auto [part, from] :
       {std::pair{&whole.reference_part, &out.pairs.front().reference_part},
        std::pair{&whole.hypothesis_part, &out.pairs.front().hypothesis_part}}) {
    if (from->file) {
      *part = file_part{from->file, 0, from->file->size, 1};
    }
  }
  evaluation check(whole, err);
  out.types = check.check_documents();
  return out;
}

// The pairs of the corpus, with `hypothesis_dir` for the folders' second
// (see documents_of_files for `first_system`); no pair at all is a fault.
corpus_pairs list_pairs(const evaluation_input& base, const corpus_options& corpus,
                        const std::string& hypothesis_dir, FILE* err,
                        const std::vector<document_pair>* first_system = nullptr) {
  corpus_pairs listed_pairs;
  std::vector<document_pair>& pairs = listed_pairs.pairs;
  if (!corpus.from_list && base.conll && is_regular_file(corpus.reference_dir)) {
    listed_pairs = documents_of_files(base, corpus, hypothesis_dir, err, first_system);
  } else if (!corpus.from_list && base.jsonl && is_regular_file(corpus.reference_dir)) {
    check_two_files(corpus.reference_dir, hypothesis_dir);
    pairs = pairs_from_jsonl_files(base, corpus.reference_dir, hypothesis_dir, err);
  } else {
    pairs = corpus.from_list ? pairs_from_list(corpus.pairs_file, corpus.missing_as_empty)
            : corpus.one_folder
                ? pairs_from_folder(corpus.reference_dir)
                : pairs_from_folders(corpus.reference_dir, hypothesis_dir, corpus.missing_as_empty,
                                     document_extension(base));
  }
  // Most likely a wrong folder: a corpus without documents has nothing to
  // report, and an empty summary would pass for one.
  if (pairs.empty() && !corpus.from_list) {
    fatal(1, "Error: no document under %s.\n", shown_name(corpus.reference_dir).c_str());
  }
  if (pairs.empty()) {
    fatal(1, "Error: %s lists no pair of documents.\n", shown_name(corpus.pairs_file).c_str());
  }
  return listed_pairs;
}

// What the reports of a corpus read once every pair is in.
struct corpus_totals {
  size_t failed_pair = SIZE_MAX;  // the pair that ended the run, if one did
  pooled_results pooled;
  std::vector<document_row> rows;  // with `keep_rows`: the table and the bootstrap read them
};

// Evaluates every pair on the threads that `corpus` asks for and gathers the
// totals in corpus order, handing each pair's part of the reports to `plan`
// (when there is one) as it comes. The first pair that fails (in corpus
// order), after its messages, ends the run with a fatal error of its status.
// `places`, when not empty, holds each pair's place in the whole corpus of
// `corpus_size` pairs (a part's pairs), which messages give.
void evaluate_pairs(const std::vector<document_pair>& pairs, const evaluation_input& base,
                    const report_options& reports, const corpus_options& corpus, FILE* err,
                    bool keep_rows, corpus_totals& totals, report_plan* plan,
                    const std::vector<size_t>& places = {}, size_t corpus_size = 0) {
  if (pairs.empty()) {
    return;  // a part of a corpus that has fewer pairs than parts
  }
  worker_pool pool(pairs, base, reports, thread_count(corpus.jobs, pairs.size()));
  // A JSON document leaves its buffer at any byte: on the same terminal, no
  // line can be drawn between its writes.
  progress_line progress(err, pairs.size(),
                         corpus.progress && pairs.size() > 10 &&
                             !(corpus.progress_shares_output && reports.json && reports.details));
  try {
    for (size_t i = 0; i < pairs.size(); i++) {
      pair_result r = pool.result(i);
      if (!r.messages.empty()) {
        progress.clear();
        fputs(r.messages.c_str(), err);
      }
      if (r.status != 0) {
        pool.stop();
        totals.failed_pair = i;
        // Some messages (a text mismatch) do not name the files.
        fatal(r.status, "The evaluation of %s and %s (pair %zu of %zu) failed.\n",
              shown_name(pairs[i].shown_reference()).c_str(),
              shown_name(pairs[i].shown_hypothesis()).c_str(), (places.empty() ? i : places[i]) + 1,
              places.empty() ? pairs.size() : corpus_size);
      }
      // A listing on the progress line's terminal goes below it, never
      // after it on the same line.
      if (corpus.progress_shares_output && !r.report.listing.empty()) {
        progress.clear();
      }
      if (plan) {
        r.report.hypothesis_name = pairs[i].shown_hypothesis();
        r.report.place = places.empty() ? i : places[i];
        plan->document(pairs[i].shown_reference(), r.report);
      }
      totals.pooled.add(r.report.figures);
      if (keep_rows) {
        // A comparison's per-type block draws each type's tallies.
        const bool with_types = corpus.compare && reports.table;
        totals.rows.push_back(row_of(pairs[i].shown_reference(), pairs[i].shown_hypothesis(),
                                     r.report.figures.counts,
                                     with_types ? &r.report.figures.types : nullptr));
      }
      progress.update(i + 1);
    }
  } catch (const std::bad_alloc&) {
    pool.stop();
    progress.clear();
    fatal_out_of_memory();
  }
  pool.stop();
  progress.clear();
}

// Two systems over the same references: both pooled summaries side by side
// and the paired bootstrap of their difference.
int run_comparison(const evaluation_input& base, const report_options& reports,
                   const corpus_options& corpus, FILE* out, FILE* err) {
  // Both systems' pairs are found before either is evaluated.
  // A reference file is read, and warned about, once for both.
  corpus_pairs pairs[2];
  const std::string* folders[2] = {&corpus.hypothesis_dir, &corpus.compare_dir};
  for (int k = 0; k < 2; k++) {
    pairs[k] = list_pairs(base, corpus, *folders[k], err, k == 1 ? &pairs[0].pairs : nullptr);
  }
  corpus_totals systems[2];
  for (int k = 0; k < 2; k++) {
    systems[k].pooled.declare_types(pairs[k].types);
    evaluate_pairs(pairs[k].pairs, base, reports, corpus, err, true, systems[k], nullptr);
  }
  // A type neither system's documents hold.
  std::vector<std::string> absent = types_without_entities(
      systems[0].pooled.counts(), systems[0].pooled.types(), base.only_types);
  absent = types_without_entities(systems[1].pooled.counts(), systems[1].pooled.types(), absent);
  warn_types_without_entities(err, systems[1].pooled.counts(), systems[1].pooled.types(), absent);
  const comparison_report c = compare_systems(systems[0].rows, systems[1].rows, corpus.bootstrap,
                                              corpus.seed, nullptr, reports.table);
  run_header header;
  header.corpus = true;
  header.reference = corpus.reference_dir;
  header.hypothesis = corpus.hypothesis_dir;
  header.description = base.description;
  write_comparison_report(out, reports, header, corpus.compare_dir, systems[0].pooled,
                          systems[1].pooled, c);
  return 0;
}

// What the reports of a corpus name.
run_header header_of(const evaluation_input& base, const corpus_options& corpus) {
  run_header h;
  h.corpus = true;
  h.description = base.description;
  // One folder of token-per-line files holds both sides.
  h.reference = corpus.reference_dir;
  h.hypothesis = corpus.one_folder ? corpus.reference_dir : corpus.hypothesis_dir;
  if (corpus.from_list) {
    h.pairs_file = corpus.pairs_file;
  }
  const std::string& shown_reference = corpus.from_list ? corpus.pairs_file : h.reference;
  const std::string& shown_hypothesis = corpus.from_list ? corpus.pairs_file : h.hypothesis;
  h.page = html_context{corpus.command_line, base.description, shown_reference, shown_hypothesis,
                        corpus.date};
  return h;
}

}  // namespace

int run_corpus(const evaluation_input& base, const report_options& reports,
               const corpus_options& corpus, FILE* out, FILE* err) {
  if (corpus.compare) {
    return run_comparison(base, reports, corpus, out, err);
  }
  corpus_pairs listed = list_pairs(base, corpus, corpus.hypothesis_dir, err);
  // A part of the corpus: every `shards`-th pair, so that each part takes
  // its share of the long and the short documents.
  const size_t corpus_size = listed.pairs.size();
  std::vector<size_t> places;
  if (corpus.shards > 0) {
    std::vector<document_pair> part;
    for (size_t i = corpus.shard; i < corpus_size; i += corpus.shards) {
      part.push_back(std::move(listed.pairs[i]));
      places.push_back(i);
    }
    listed.pairs = std::move(part);
  }
  const std::vector<document_pair>& pairs = listed.pairs;

  // The reports take each pair's part as it comes. The page's file is made
  // once the documents are known, none of which it may be, and is renamed
  // into place only when the run completes.
  run_header header = header_of(base, corpus);
  // A JSON report can be merged with those of other parts of the corpus.
  const shard_identity identity = reports.json ? identity_of(base, listed.types) : shard_identity();
  if (reports.json) {
    header.shard = &identity;
  }
  if (corpus.shards > 0) {
    header.part = shard_part{corpus.shard + 1, corpus.shards, corpus_size};
  }
  if (!reports.html_file.empty()) {
    std::vector<std::string> documents;
    documents.reserve(2 * pairs.size());
    for (const document_pair& p : pairs) {
      documents.push_back(p.reference);
      documents.push_back(p.hypothesis);
    }
    check_output_path("--html", reports.html_file, documents);
  }
  report_plan plan(reports, header, out, corpus.progress_shares_output);
  corpus_totals totals;
  totals.pooled.declare_types(listed.types);
  const bool keep_rows = corpus.per_document || corpus.bootstrap > 0;
  // The fault's message goes out before the JSON document says what ended it.
  const int status = run_reporting_faults(err, [&] {
    evaluate_pairs(pairs, base, reports, corpus, err, keep_rows, totals, &plan, places,
                   corpus_size);
  });
  if (status != 0) {
    if (totals.failed_pair < pairs.size()) {
      const document_pair& failed = pairs[totals.failed_pair];
      plan.failed(places.empty() ? totals.failed_pair : places[totals.failed_pair],
                  failed.shown_reference(), failed.shown_hypothesis(), status);
    } else {
      plan.failed(no_pair, std::string(), std::string(), status);
    }
    return status;
  }
  warn_types_without_entities(err, totals.pooled.counts(), totals.pooled.types(), base.only_types);
  const bootstrap_report intervals = corpus.bootstrap > 0
                                         ? bootstrap(totals.rows, corpus.bootstrap, corpus.seed)
                                         : bootstrap_report();
  corpus_sections sections;
  sections.table = corpus.per_document ? &totals.rows : nullptr;
  sections.intervals = corpus.bootstrap > 0 ? &intervals : nullptr;
  sections.documents = totals.rows.size();
  plan.finish(totals.pooled, sections);
  return 0;
}

pooled_results pool_corpus(const evaluation_input& base, const corpus_options& corpus, FILE* err) {
  const corpus_pairs listed = list_pairs(base, corpus, corpus.hypothesis_dir, err);
  report_options counts_only;
  counts_only.summary = true;
  counts_only.table = true;  // every figure a summary may show
  corpus_totals totals;
  totals.pooled.declare_types(listed.types);
  evaluate_pairs(listed.pairs, base, counts_only, corpus, err, false, totals, nullptr);
  return totals.pooled;
}
