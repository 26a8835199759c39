#include "corpus/corpus.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "base/fatal.h"
#include "corpus/bootstrap.h"
#include "corpus/corpus_printers.h"
#include "corpus/document_table.h"
#include "corpus/pairs.h"
#include "corpus/pooled.h"
#include "reports/json_report.h"
#include "reports/text_report.h"

namespace {

// A stream that writes into memory, for what a pair's evaluation prints
// before its turn to be written comes.
class memory_stream {
 public:
  memory_stream() : file_(open_memstream(&data_, &size_)) {}
  ~memory_stream() {
    if (file_) {
      fclose(file_);
    }
    free(data_);
  }
  memory_stream(const memory_stream&) = delete;
  memory_stream& operator=(const memory_stream&) = delete;

  FILE* file() const { return file_; }
  std::string text() {
    if (!file_ || fflush(file_) != 0) {
      return std::string();
    }
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

// What one pair's evaluation leaves for the writer.
struct pair_result {
  int status = 0;
  std::string messages;  // warnings, and the fault's message, for standard error
  std::string listing;   // the detail listing
  pair_counts figures;
};

pair_result evaluate_pair(evaluation_input input, const report_options& reports) {
  pair_result r;
  memory_stream messages, listing;
  if (!messages.file() || !listing.file()) {
    r.status = 1;
    r.messages = "Error: out of memory.\n";
    return r;
  }
  std::unique_ptr<evaluation> ev;
  r.status = run_reporting_faults(messages.file(), [&] {
    ev = std::make_unique<evaluation>(std::move(input), messages.file());
    ev->run();
    const evaluated_pair pair = ev->result();
    r.figures.counts = count_outcomes(pair);
    r.figures.types = pair.vocab.types.names();
    r.figures.confusion = count_confusions(pair);
    if (reports.details && reports.json) {
      r.listing = json_outcomes(pair, reports.details_correct);
    } else if (reports.details) {
      print_details(listing.file(), pair, reports.details_correct);
    }
  });
  ev.reset();
  r.messages = messages.text();
  if (!reports.json) {
    r.listing = listing.text();
  }
  return r;
}

// Hands out pair indexes to the workers and their results to the writer, in
// corpus order. At most `window` pairs are ahead of the writer, which bounds
// the memory that finished pairs hold while an earlier one runs.
class pair_scheduler {
 public:
  pair_scheduler(size_t count, size_t window) : count_(count), window_(window) {}

  // The next pair to evaluate, or count when there is none left to start.
  size_t take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || next_ >= count_ || next_ < written_ + window_; });
    return stopped_ || next_ >= count_ ? count_ : next_++;
  }

  void finish(size_t i, pair_result r) {
    std::lock_guard<std::mutex> lock(mutex_);
    ready_.emplace(i, std::move(r));
    changed_.notify_all();
  }

  // The result of pair i, once it is there; pairs are asked for in order.
  pair_result wait(size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_.count(i) != 0; });
    pair_result r = std::move(ready_.at(i));
    ready_.erase(i);
    written_ = i + 1;
    changed_.notify_all();
    return r;
  }

  // No pair starts after this.
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const size_t count_;
  const size_t window_;
  size_t next_ = 0;
  size_t written_ = 0;
  bool stopped_ = false;
  std::map<size_t, pair_result> ready_;
};

// Pairs done out of the total, their rate and the time left, on one
// rewritten line; at most ten times a second.
class progress_line {
 public:
  progress_line(FILE* err, size_t total, bool on) : err_(err), total_(total), on_(on) {}

  void update(size_t done) {
    if (!on_) {
      return;
    }
    const auto now = clock::now();
    if (done < total_ && now - last_ < std::chrono::milliseconds(100)) {
      return;
    }
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    const long left = rate > 0 ? static_cast<long>((total_ - done) / rate + 0.5) : 0;
    fprintf(err_, "\r%zu/%zu pairs  %.1f pairs/s  %ld:%02ld left ", done, total_, rate, left / 60,
            left % 60);
    fflush(err_);
  }

  void clear() {
    if (on_) {
      fputs("\r\033[K", err_);
      fflush(err_);
    }
  }

 private:
  using clock = std::chrono::steady_clock;
  FILE* err_;
  size_t total_;
  bool on_;
  clock::time_point start_ = clock::now();
  clock::time_point last_{};
};

unsigned thread_count(unsigned jobs, size_t pairs) {
  unsigned n = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<size_t>(n, std::max<size_t>(pairs, 1)));
}

}  // namespace

int run_corpus(const evaluation_input& base, const report_options& reports,
               const corpus_options& corpus, FILE* out, FILE* err) {
  std::vector<document_pair> pairs;
  const int listed = run_reporting_faults(err, [&] {
    pairs = corpus.pairs_file.empty()
                ? pairs_from_folders(corpus.reference_dir, corpus.hypothesis_dir,
                                     corpus.missing_as_empty)
                : pairs_from_list(corpus.pairs_file, corpus.missing_as_empty);
  });
  if (listed != 0) {
    return listed;
  }

  const unsigned jobs = thread_count(corpus.jobs, pairs.size());
  pair_scheduler scheduler(pairs.size(), 2 * size_t{jobs});
  std::vector<std::thread> workers;
  for (unsigned j = 0; j < jobs; j++) {
    workers.emplace_back([&] {
      for (size_t i; (i = scheduler.take()) < pairs.size();) {
        evaluation_input input = base;
        input.reference = pairs[i].reference;
        input.hypothesis = pairs[i].hypothesis;
        input.empty_hypothesis = pairs[i].hypothesis_missing;
        scheduler.finish(i, evaluate_pair(std::move(input), reports));
      }
    });
  }
  auto join = [&] {
    scheduler.stop();
    for (std::thread& t : workers) {
      t.join();
    }
  };

  // JSON: the outcomes stream out as the pairs come; the totals follow.
  std::unique_ptr<json_report_writer> json;
  if (reports.json) {
    json = std::make_unique<json_report_writer>(out);
    if (corpus.pairs_file.empty()) {
      json->documents(corpus.reference_dir.c_str(), corpus.hypothesis_dir.c_str());
    } else {
      json->key("documents");
      json->begin_object();
      json->string("pairs", corpus.pairs_file);
      json->end_object();
    }
    if (reports.details) {
      json->begin_outcomes();
    }
  }

  pooled_results pooled;
  std::vector<document_row> rows;  // what the table and the bootstrap read
  const bool keep_rows = corpus.per_document || corpus.bootstrap > 0;
  progress_line progress(err, pairs.size(), corpus.progress && pairs.size() > 10);
  for (size_t i = 0; i < pairs.size(); i++) {
    pair_result r = scheduler.wait(i);
    if (!r.messages.empty()) {
      progress.clear();
      fputs(r.messages.c_str(), err);
    }
    if (r.status != 0) {
      // Some messages (a text mismatch) do not name the files.
      fprintf(err, "The evaluation of %s and %s (pair %zu of %zu) failed.\n",
              pairs[i].reference.c_str(), pairs[i].hypothesis.c_str(), i + 1, pairs.size());
      join();
      return r.status;
    }
    if (json) {
      json->outcomes(r.listing);
    } else {
      fwrite(r.listing.data(), 1, r.listing.size(), out);
    }
    pooled.add(r.figures);
    if (keep_rows) {
      rows.push_back(row_of(pairs[i].reference, pairs[i].hypothesis, r.figures.counts));
    }
    progress.update(i + 1);
  }
  join();
  progress.clear();

  const bootstrap_report intervals =
      corpus.bootstrap > 0 ? bootstrap(rows, corpus.bootstrap, corpus.seed) : bootstrap_report();
  const confusion_report confusion =
      reports.confusion || reports.json ? pooled.confusion() : confusion_report();
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
    if (reports.summary || reports.confusion || reports.agreement) {
      fputc('\n', out);
    }
  }
  print_totals(out, pooled.counts(), pooled.types(), confusion, reports, [&] {
    if (corpus.bootstrap > 0) {
      fputc('\n', out);
      print_bootstrap(out, intervals, rows.size());
    }
  });
  return 0;
}
