// The worker threads of a corpus run: each evaluates batches of pairs with
// an interpreter of its own, and the results come back in corpus order.
#pragma once

#include <cstddef>
#include <thread>
#include <vector>

#include "corpus/pair_evaluation.h"
#include "corpus/pair_scheduler.h"
#include "corpus/pairs.h"
#include "evaluation/evaluation.h"
#include "reports/report_options.h"

// The threads for `pairs` pairs when `jobs` are asked for (0: one per
// core): never more than the pairs.
unsigned thread_count(unsigned jobs, size_t pairs);

// `base` with the documents of `pair`.
evaluation_input input_of(const evaluation_input& base, const document_pair& pair);

class worker_pool {
 public:
  // Starts `jobs` threads (as many as the system gives). With one, none is
  // started: each pair is evaluated where its result is asked for. The
  // arguments must outlive the pool.
  worker_pool(const std::vector<document_pair>& pairs, const evaluation_input& base,
              const report_options& reports, unsigned jobs);
  // Stops and joins the threads: a thread left joinable would end the
  // program, on the way out of an exception too.
  ~worker_pool() { stop(); }
  worker_pool(const worker_pool&) = delete;
  worker_pool& operator=(const worker_pool&) = delete;

  // The result of pair `i`; pairs are asked for in corpus order.
  pair_result result(size_t i);
  // The pairs not yet evaluated are not wanted: the threads end.
  void stop();

 private:
  void work();

  const std::vector<document_pair>& pairs_;
  const evaluation_input& base_;
  const report_options& reports_;
  pair_scheduler<pair_result> scheduler_;
  std::vector<std::thread> threads_;
  worker_state own_state_;  // for pairs evaluated on the writer's thread
  bool stopped_ = false;
};
