#include "corpus/corpus.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/output_file.h"
#include "corpus/bootstrap.h"
#include "corpus/corpus_printers.h"
#include "corpus/document_table.h"
#include "corpus/pair_evaluation.h"
#include "corpus/pair_scheduler.h"
#include "corpus/pairs.h"
#include "corpus/pooled.h"
#include "corpus/progress_line.h"
#include "description/description.h"
#include "reports/html_report.h"
#include "reports/json_report.h"
#include "reports/text_report.h"

namespace {

unsigned thread_count(unsigned jobs, size_t pairs) {
  unsigned n = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<size_t>(n, std::max<size_t>(pairs, 1)));
}

}  // namespace

namespace {

// The pairs of a corpus, and what a whole-file reading tells of them.
struct corpus_pairs {
  std::vector<document_pair> pairs;
  // Of token-per-line files: the entity types in the order a run over the
  // whole files gives them, which the pooled reports keep.
  std::vector<std::string> types;
};

// The documents of token-per-line files (one, or two) rather than of
// folders: their warnings and the faults only whole files can show are
// given once, by reading them whole, before the documents are evaluated.
// `first_system`, when given, holds the pairs of another system over the
// same reference file, whose bytes are taken from there, and whose
// warnings were given.
corpus_pairs documents_of_files(const evaluation_input& base, const corpus_options& corpus,
                                const std::string& hypothesis_file, FILE* err,
                                const std::vector<document_pair>* first_system) {
  if (!corpus.one_folder && !is_regular_file(hypothesis_file)) {
    fatal(1, "Error: %s is a file and %s is not: --corpus takes two folders, or two files.\n",
          shown_name(corpus.reference_dir).c_str(), shown_name(hypothesis_file).c_str());
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
// (see documents_of_files for `first_system`); a fault, or no pair at all,
// is reported to `err` and its status returned.
int list_pairs(const evaluation_input& base, const corpus_options& corpus,
               const std::string& hypothesis_dir, FILE* err, corpus_pairs& listed_pairs,
               const std::vector<document_pair>* first_system = nullptr) {
  std::vector<document_pair>& pairs = listed_pairs.pairs;
  return run_reporting_faults(err, [&] {
    if (!corpus.from_list && base.conll && is_regular_file(corpus.reference_dir)) {
      listed_pairs = documents_of_files(base, corpus, hypothesis_dir, err, first_system);
    } else {
      pairs = corpus.from_list    ? pairs_from_list(corpus.pairs_file, corpus.missing_as_empty)
              : corpus.one_folder ? pairs_from_folder(corpus.reference_dir)
                                  : pairs_from_folders(corpus.reference_dir, hypothesis_dir,
                                                       corpus.missing_as_empty);
    }
    // Most likely a wrong folder: a corpus without documents has nothing to
    // report, and an empty summary would pass for one.
    if (pairs.empty() && !corpus.from_list) {
      fatal(1, "Error: no document under %s.\n", shown_name(corpus.reference_dir).c_str());
    }
    if (pairs.empty()) {
      fatal(1, "Error: %s lists no pair of documents.\n", shown_name(corpus.pairs_file).c_str());
    }
  });
}

// What the reports of a corpus read once every pair is in.
struct corpus_totals {
  size_t failed_pair = SIZE_MAX;  // the pair that ended the run, if one did
  pooled_results pooled;
  std::vector<document_row> rows;  // with `keep_rows`: the table and the bootstrap read them
};

// Evaluates every pair on the threads that `corpus` asks for and gathers the
// totals in corpus order, handing each pair's listing to `write_listing` as
// it comes. Returns 0, or the status of the first pair that failed, after its
// messages.
int evaluate_pairs(const std::vector<document_pair>& pairs, const evaluation_input& base,
                   const report_options& reports, const corpus_options& corpus, FILE* err,
                   bool keep_rows, corpus_totals& totals,
                   const std::function<void(size_t, const pair_result&)>& write_pair) {
  auto input_of = [&](size_t i) {
    evaluation_input input = base;
    input.reference = pairs[i].reference;
    if (!input.one_file) {
      input.hypothesis = pairs[i].hypothesis;
    }
    input.empty_hypothesis = pairs[i].hypothesis_missing;
    input.reference_part = pairs[i].reference_part;
    input.hypothesis_part = pairs[i].hypothesis_part;
    input.checked = input.reference_part.file != nullptr;
    return input;
  };
  const unsigned jobs = thread_count(corpus.jobs, pairs.size());
  // Batches of up to 16 pairs, but at least 64 batches a thread, so that the
  // threads end together.
  const size_t batch = std::clamp<size_t>(pairs.size() / (size_t{jobs} * 64), 1, 16);
  pair_scheduler<pair_result> scheduler(pairs.size(), batch, 2 * batch * jobs);
  std::vector<std::thread> workers;
  // The workers are stopped and joined once: where the run ends, or on the
  // way out of an exception that nothing here catches (a thread left
  // joinable would end the program).
  struct joined_on_exit {
    pair_scheduler<pair_result>& scheduler;
    std::vector<std::thread>& workers;
    bool done = false;
    void join() {
      if (done) {
        return;
      }
      done = true;
      scheduler.stop();
      for (std::thread& t : workers) {
        t.join();
      }
    }
    ~joined_on_exit() { join(); }
  } pool{scheduler, workers};
  try {
    workers.reserve(jobs);
    for (unsigned j = 0; jobs > 1 && j < jobs; j++) {
      workers.emplace_back([&] {
        try {
          worker_state state;
          state.stop = scheduler.stop_flag();
          std::vector<pair_result> results;
          for (auto [first, last] = scheduler.take(); first < last;
               std::tie(first, last) = scheduler.take()) {
            results.clear();
            // Once the run has stopped, the rest of the batch is not wanted.
            for (size_t i = first; i < last && !scheduler.stopping(); i++) {
              results.push_back(evaluate_pair(input_of(i), reports, state));
            }
            scheduler.finish(first, results);
          }
        } catch (...) {
          // Memory ran out where no evaluation could report it.
          scheduler.fail();
        }
      });
    }
  } catch (const std::exception&) {
    // The system gave fewer threads than asked: those it gave do the work.
  }
  // On one thread each pair is evaluated where it is written: no hand-over.
  const bool threaded = !workers.empty();
  worker_state own_state;
  auto result_of = [&](size_t i) {
    return threaded ? scheduler.wait(i) : evaluate_pair(input_of(i), reports, own_state);
  };

  // A JSON document leaves its buffer at any byte: on the same terminal, no
  // line can be drawn between its writes.
  progress_line progress(err, pairs.size(),
                         corpus.progress && pairs.size() > 10 &&
                             !(corpus.progress_shares_output && reports.json && reports.details));
  try {
    for (size_t i = 0; i < pairs.size(); i++) {
      pair_result r = result_of(i);
      if (!r.messages.empty()) {
        progress.clear();
        fputs(r.messages.c_str(), err);
      }
      if (r.status != 0) {
        // Some messages (a text mismatch) do not name the files.
        fprintf(err, "The evaluation of %s and %s (pair %zu of %zu) failed.\n",
                shown_name(pairs[i].shown_reference()).c_str(),
                shown_name(pairs[i].shown_hypothesis()).c_str(), i + 1, pairs.size());
        totals.failed_pair = i;
        pool.join();
        return r.status;
      }
      // A listing on the progress line's terminal goes below it, never
      // after it on the same line.
      if (corpus.progress_shares_output && !r.listing.empty()) {
        progress.clear();
      }
      write_pair(i, r);
      totals.pooled.add(r.figures);
      if (keep_rows) {
        totals.rows.push_back(
            row_of(pairs[i].shown_reference(), pairs[i].shown_hypothesis(), r.figures.counts));
      }
      progress.update(i + 1);
    }
  } catch (const std::bad_alloc&) {
    pool.join();
    progress.clear();
    fputs(out_of_memory_text, err);
    return 1;
  }
  pool.join();
  progress.clear();
  return 0;
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
    if (const int status = list_pairs(base, corpus, *folders[k], err, pairs[k],
                                      k == 1 ? &pairs[0].pairs : nullptr)) {
      return status;
    }
  }
  corpus_totals systems[2];
  for (int k = 0; k < 2; k++) {
    systems[k].pooled.declare_types(pairs[k].types);
    const int status = evaluate_pairs(pairs[k].pairs, base, reports, corpus, err, true, systems[k],
                                      [](size_t, const pair_result&) {});
    if (status != 0) {
      return status;
    }
  }
  const comparison_report c =
      compare_systems(systems[0].rows, systems[1].rows, corpus.bootstrap, corpus.seed);
  if (reports.json) {
    json_report_writer json(out);
    json.documents(corpus.reference_dir.c_str(), corpus.hypothesis_dir.c_str(),
                   base.description.c_str());
    json.summary(systems[0].pooled.counts(), systems[0].pooled.types());
    json.key("comparison");
    json.begin_object();
    json.string("hypothesis", corpus.compare_dir);
    json.summary(systems[1].pooled.counts(), systems[1].pooled.types());
    write_comparison(json, c);
    json.end_object();
    json.confusion(systems[0].pooled.confusion(), systems[0].pooled.types());
    json.finish();
    return 0;
  }
  print_comparison(out, corpus.hypothesis_dir, systems[0].pooled.counts(), corpus.compare_dir,
                   systems[1].pooled.counts(), c);
  return 0;
}

}  // namespace

int run_corpus(const evaluation_input& base, const report_options& reports,
               const corpus_options& corpus, FILE* out, FILE* err) {
  if (corpus.compare) {
    return run_comparison(base, reports, corpus, out, err);
  }
  corpus_pairs listed;
  if (const int status = list_pairs(base, corpus, corpus.hypothesis_dir, err, listed)) {
    return status;
  }
  const std::vector<document_pair>& pairs = listed.pairs;

  // The visual report takes each pair's part as it comes too. Its file is
  // made once the documents are known, none of which it may be, and is
  // renamed into place only when the run completes.
  std::unique_ptr<output_file> page_file;
  std::unique_ptr<html_page_writer> page;
  if (!reports.html_file.empty()) {
    const int status = run_reporting_faults(err, [&] {
      std::vector<std::string> documents;
      documents.reserve(2 * pairs.size());
      for (const document_pair& p : pairs) {
        documents.push_back(p.reference);
        documents.push_back(p.hypothesis);
      }
      check_output_path("--html", reports.html_file, documents);
      page_file = std::make_unique<output_file>("--html", reports.html_file);
    });
    if (status != 0) {
      return status;
    }
    page = std::make_unique<html_page_writer>(
        page_file->file(), html_context{corpus.command_line, base.description,
                                        corpus.from_list ? corpus.pairs_file : corpus.reference_dir,
                                        corpus.from_list    ? corpus.pairs_file
                                        : corpus.one_folder ? corpus.reference_dir
                                                            : corpus.hypothesis_dir,
                                        corpus.date});
  }
  // JSON: the outcomes stream out as the pairs come; the totals follow.
  std::unique_ptr<json_report_writer> json;
  if (reports.json) {
    json = std::make_unique<json_report_writer>(out);
    if (!corpus.from_list) {
      // One folder of token-per-line files holds both sides.
      const std::string& hyp = corpus.one_folder ? corpus.reference_dir : corpus.hypothesis_dir;
      json->documents(corpus.reference_dir.c_str(), hyp.c_str(), base.description.c_str());
    } else {
      json->key("documents");
      json->begin_object();
      json->string("pairs", corpus.pairs_file);
      json->string("description", base.description);
      json->end_object();
    }
    if (reports.details) {
      json->begin_outcomes();
    }
  }
  corpus_totals totals;
  totals.pooled.declare_types(listed.types);
  const int status =
      evaluate_pairs(pairs, base, reports, corpus, err, corpus.per_document || corpus.bootstrap > 0,
                     totals, [&](size_t i, const pair_result& r) {
                       if (json) {
                         json->outcomes(r.listing);
                       } else {
                         fwrite(r.listing.data(), 1, r.listing.size(), out);
                         if (corpus.progress_shares_output) {
                           fflush(out);  // before the progress line is drawn again
                         }
                       }
                       if (page) {
                         page->document(r.page, pairs[i].shown_reference(), r.figures.counts);
                       }
                     });
  if (status != 0) {
    // The page, unfinished, goes with `page_file`. A JSON document says what
    // ended it instead of stopping in the middle of a value.
    if (json) {
      if (reports.details) {
        json->end_outcomes();
      }
      json->key("error");
      json->begin_object();
      if (totals.failed_pair < pairs.size()) {
        json->count("pair", totals.failed_pair + 1);
        json->string("reference", pairs[totals.failed_pair].shown_reference());
        json->string("hypothesis", pairs[totals.failed_pair].shown_hypothesis());
      }
      json->count("status", static_cast<uint64_t>(status));
      json->end_object();
      json->finish();
    }
    return status;
  }
  const pooled_results& pooled = totals.pooled;
  const std::vector<document_row>& rows = totals.rows;

  const bootstrap_report intervals =
      corpus.bootstrap > 0 ? bootstrap(rows, corpus.bootstrap, corpus.seed) : bootstrap_report();
  const confusion_report confusion =
      reports.confusion || reports.json || page ? pooled.confusion() : confusion_report();
  if (page) {
    page->finish(pooled.counts(), pooled.types(), confusion, reports);
    page.reset();
    if (const int failed = run_reporting_faults(err, [&] { page_file->commit(); })) {
      return failed;
    }
  }
  if (json) {
    if (reports.details) {
      json->end_outcomes();
    }
    json->summary(pooled.counts(), pooled.types());
    if (corpus.bootstrap > 0) {
      write_bootstrap(*json, intervals);
    }
    if (corpus.per_document) {
      write_document_table(*json, rows);
    }
    if (reports.agreement) {
      json->agreement(pooled.counts(), reports);
    }
    json->confusion(confusion, pooled.types());
    json->finish();
    return 0;
  }
  if (corpus.per_document) {
    print_document_table(out, rows);
    if (reports.summary || reports.confusion || reports.agreement || corpus.bootstrap > 0) {
      fputc('\n', out);
    }
  }
  // The intervals go below the summary, or where it would be.
  print_totals(out, pooled.counts(), pooled.types(), confusion, reports, [&](bool summary) {
    if (corpus.bootstrap == 0) {
      return false;
    }
    if (summary) {
      fputc('\n', out);
    }
    print_bootstrap(out, intervals, rows.size());
    return true;
  });
  return 0;
}
