// The library's corpus: every pair evaluated on its own, on threads that
// each lend one interpreter to their pairs, the results kept and pooled in
// corpus order as the command line's --corpus pools them.
#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "base/escape.h"
#include "corpus/pairs.h"
#include "corpus/shards.h"
#include "corpus/worker_pool.h"
#include "library/result_state.h"
#include "reports/agreement.h"
#include "reports/bootstrap.h"
#include "reports/document_table.h"
#include "reports/overlaps.h"
#include "reports/pooled.h"
#include "reports/report_plan.h"
#include "reports/summary.h"

struct orvane::corpus_result::state {
  std::vector<result> documents;
  std::vector<std::string> names;  // each pair's reference, as the page's index names it
  pooled_results pooled;
  std::vector<document_row> rows;
  run_header header;
  shard_identity identity;  // what its JSON report's merge member names
};

namespace orvane {

struct corpus_access {
  static const corpus_result::state& state_of(const corpus_result& r) {
    if (!r.state_) {
      throw error("Error: this result holds no evaluation.", 1);
    }
    return *r.state_;
  }
  static void set_state(corpus_result& r, std::shared_ptr<const corpus_result::state> s) {
    r.state_ = std::move(s);
  }
};

namespace {

// One pair's evaluation, or its fault.
struct pair_slot {
  std::shared_ptr<result::state> state;
  std::string warnings;
  std::string fault;  // the message, as the command line prints it
  int status = 0;
};

// What a thread keeps from pair to pair: the interpreter it lends (the
// script runs once a thread; a fault drops it) and its messages' stream.
struct worker {
  std::shared_ptr<task_description> description;
  memory_stream messages;
};

void evaluate_one(const std::pair<document, document>& p, const options& o, worker& w,
                  pair_slot& slot) {
  if (!w.messages.file()) {
    slot.status = 1;
    slot.fault = out_of_memory_text;
    return;
  }
  try {
    evaluation_input input = input_of(p.first, p.second, o);
    if (!w.description) {
      auto description = std::make_shared<task_description>();
      description->stop_when(o.stop);
      description->embed();
      load_description(*description, input);
      w.description = std::move(description);
    }
    auto s = std::make_shared<result::state>();
    s->description = w.description;
    s->ev = std::make_unique<evaluation>(std::move(input), w.messages.file(), w.description.get());
    s->ev->run();
    s->counts = count_outcomes(s->ev->result());
    slot.state = std::move(s);
  } catch (const fatal_error& f) {
    slot.status = f.status;
    slot.fault = f.text;
  } catch (const error& e) {
    slot.status = e.status();
    slot.fault = e.what();
  } catch (const std::bad_alloc&) {
    slot.status = 1;
    slot.fault = out_of_memory_text;
  }
  if (slot.status != 0) {
    w.description.reset();  // whatever the fault left in it goes too
  }
  slot.warnings = w.messages.take();
}

// Evaluates every pair on `threads` threads (the caller's among them). Pairs
// start in corpus order, and none starts after one has failed: every pair
// before the first that failed has its result.
std::vector<pair_slot> evaluate_pairs(const corpus& c, const options& o, unsigned threads) {
  std::vector<pair_slot> slots(c.pairs.size());
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr lost;  // memory that ran out outside any evaluation
  std::mutex lost_mutex;
  auto work = [&] {
    try {
      worker w;
      for (size_t i = next++; i < slots.size() && !failed; i = next++) {
        evaluate_one(c.pairs[i], o, w, slots[i]);
        if (slots[i].status != 0) {
          failed = true;
        }
      }
      if (w.description) {
        w.description->stop_when(nullptr);  // the caller's flag may not outlive the call
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(lost_mutex);
      lost = std::current_exception();
      failed = true;
    }
  };
  std::vector<std::thread> helpers;
  try {
    for (unsigned t = 1; t < threads; t++) {
      helpers.emplace_back(work);
    }
  } catch (const std::exception&) {
    // The system gave fewer threads than asked: those it gave do the work.
  }
  work();
  for (std::thread& t : helpers) {
    t.join();
  }
  if (lost) {
    throw std::bad_alloc();
  }
  return slots;
}

void check_resamples(unsigned resamples) {
  if (resamples < 1 || resamples > 1000000) {
    throw error(
        "Error: the resamples are from 1 to 1000000, not " + std::to_string(resamples) + ".", 1);
  }
}

}  // namespace

corpus corpus::folders(const std::string& reference_dir, const std::string& hypothesis_dir,
                       format documents) {
  return faults_thrown([&] {
    corpus c;
    c.reference = reference_dir;
    c.hypothesis = hypothesis_dir;
    evaluation_input kind;
    set_format(documents, kind);
    for (const document_pair& p :
         pairs_from_folders(reference_dir, hypothesis_dir, false, document_extension(kind))) {
      c.pairs.emplace_back(document::file(p.reference), document::file(p.hypothesis));
    }
    if (c.pairs.empty()) {
      throw error("Error: no document under " + shown_name(reference_dir) + ".", 1);
    }
    return c;
  });
}

corpus_result evaluate_corpus(const corpus& c, const options& o, unsigned threads) {
  if (c.pairs.empty()) {
    throw error("Error: the corpus holds no pair of documents.", 1);
  }
  // The call's own faults (a preset, a scheme, a type) before any pair.
  const evaluation_input first = input_of(c.pairs.front().first, c.pairs.front().second, o);
  std::vector<pair_slot> slots = faults_thrown(
      [&] { return evaluate_pairs(c, o, thread_count(std::min(threads, 1024u), c.pairs.size())); });

  auto s = std::make_shared<corpus_result::state>();
  s->header.corpus = true;
  s->header.reference = c.reference;
  s->header.hypothesis = c.hypothesis;
  s->header.description = first.description;
  s->identity = faults_thrown([&] { return identity_of(first); });
  s->header.shard = &s->identity;
  std::string warnings;
  for (size_t i = 0; i < slots.size(); i++) {
    pair_slot& slot = slots[i];
    warnings += slot.warnings;
    const std::string& reference = c.pairs[i].first.name;
    const std::string& hypothesis = c.pairs[i].second.name;
    if (slot.status != 0) {
      // Some messages (a text mismatch) do not name the files.
      throw error(without_newline(slot.fault) + "\nThe evaluation of " + shown_name(reference) +
                      " and " + shown_name(hypothesis) + " (pair " + std::to_string(i + 1) +
                      " of " + std::to_string(slots.size()) + ") failed.",
                  slot.status, warnings);
    }
    faults_thrown([&] {
      const evaluated_pair pair = slot.state->ev->result();
      pair_counts figures;
      figures.counts = slot.state->counts;
      figures.counts.overlapping_misses = count_overlapping_misses(pair);
      figures.types = pair.vocab.types.names();
      figures.confusion = count_confusions(pair);
      s->pooled.add(figures);
      s->rows.push_back(row_of(reference, hypothesis, slot.state->counts, &figures.types));
    });
    s->names.push_back(reference);
    slot.state->identity = s->identity;  // each document's JSON report is mergeable too
    s->documents.push_back(result_access::make(std::move(slot.state), std::move(slot.warnings)));
  }
  corpus_result r;
  r.summary = summarize(s->pooled.counts(), s->pooled.types());
  r.warnings = std::move(warnings);
  corpus_access::set_state(r, std::move(s));
  return r;
}

const std::vector<result>& corpus_result::documents() const {
  return corpus_access::state_of(*this).documents;
}

std::vector<confusion_entry> corpus_result::confusion() const {
  const state& s = corpus_access::state_of(*this);
  return faults_thrown([&] { return confusion_entries(s.pooled.confusion(), s.pooled.types()); });
}

agreement_report corpus_result::agreement(int expected_count, bool open) const {
  return measure_agreement(corpus_access::state_of(*this).pooled.counts(), open, expected_count);
}

bootstrap_report corpus_result::bootstrap(unsigned resamples, uint64_t seed,
                                          const std::atomic<bool>* stop) const {
  check_resamples(resamples);
  const state& s = corpus_access::state_of(*this);
  return faults_thrown([&] { return ::bootstrap(s.rows, resamples, seed, stop); });
}

namespace {

// The corpus's reports, as the command line writes them: each document's
// part, then the totals.
std::string corpus_reports(const corpus_result::state& s, const report_choice& reports,
                           const corpus_choice& sections, bool json) {
  if (sections.bootstrap != 0) {
    check_resamples(sections.bootstrap);
  }
  const report_options options = options_of(reports, json);
  return faults_thrown([&] {
    return printed([&](FILE* out) {
      report_plan plan(options, s.header, out);
      memory_stream scratch;
      for (size_t i = 0; i < s.documents.size(); i++) {
        document_report d = report_document(result_access::state_of(s.documents[i]).ev->result(),
                                            options, &scratch);
        d.hypothesis_name = s.rows[i].hypothesis;
        plan.document(s.names[i], d);
      }
      const bool keep_rows = sections.per_document || sections.bootstrap > 0;
      const bootstrap_report intervals =
          sections.bootstrap > 0
              ? ::bootstrap(s.rows, sections.bootstrap, sections.seed, sections.stop)
              : bootstrap_report();
      corpus_sections parts;
      parts.table = sections.per_document ? &s.rows : nullptr;
      parts.intervals = sections.bootstrap > 0 ? &intervals : nullptr;
      parts.documents = keep_rows ? s.rows.size() : 0;
      plan.finish(s.pooled, parts);
    });
  });
}

}  // namespace

std::string corpus_result::text(const report_choice& reports, const corpus_choice& sections) const {
  return corpus_reports(corpus_access::state_of(*this), reports, sections, false);
}

std::string corpus_result::json(const report_choice& reports, const corpus_choice& sections) const {
  return corpus_reports(corpus_access::state_of(*this), reports, sections, true);
}

comparison compare(const corpus_result& one, const corpus_result& two, unsigned resamples,
                   uint64_t seed, const std::atomic<bool>* stop, bool per_type) {
  check_resamples(resamples);
  const corpus_result::state& a = corpus_access::state_of(one);
  const corpus_result::state& b = corpus_access::state_of(two);
  if (a.rows.size() != b.rows.size()) {
    throw error("Error: the two corpora hold " + std::to_string(a.rows.size()) + " and " +
                    std::to_string(b.rows.size()) +
                    " documents: a comparison takes the same references in the same order.",
                1);
  }
  for (size_t i = 0; i < a.rows.size(); i++) {
    if (a.rows[i].reference == b.rows[i].reference &&
        a.rows[i].reference_entities != b.rows[i].reference_entities) {
      throw error("Error: document " + std::to_string(i + 1) + ", " +
                      shown_name(a.rows[i].reference) + ", holds " +
                      std::to_string(a.rows[i].reference_entities) + " reference entities in one " +
                      "corpus and " + std::to_string(b.rows[i].reference_entities) +
                      " in the other: a comparison takes the same references.",
                  1);
    }
    if (a.rows[i].reference != b.rows[i].reference) {
      throw error("Error: document " + std::to_string(i + 1) + " is " +
                      shown_name(a.rows[i].reference) + " in one corpus and " +
                      shown_name(b.rows[i].reference) +
                      " in the other: a comparison takes the same references in the same order.",
                  1);
    }
  }
  comparison c;
  return faults_thrown([&] {
    c.values = compare_systems(a.rows, b.rows, resamples, seed, stop, per_type);
    for (bool json : {false, true}) {
      report_options options;
      options.summary = true;
      options.json = json;
      options.table = per_type;
      (json ? c.json : c.text) = printed([&](FILE* out) {
        write_comparison_report(out, options, a.header, b.header.hypothesis, a.pooled, b.pooled,
                                c.values);
      });
    }
    return c;
  });
}

}  // namespace orvane
