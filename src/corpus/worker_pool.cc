#include "corpus/worker_pool.h"

#include <algorithm>
#include <exception>
#include <tuple>

namespace {

// Batches of up to 16 pairs, but at least 64 batches a thread, so that the
// threads end together.
size_t batch_size(size_t pairs, unsigned jobs) {
  return std::clamp<size_t>(pairs / (size_t{jobs} * 64), 1, 16);
}

}  // namespace

unsigned thread_count(unsigned jobs, size_t pairs) {
  unsigned n = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::min<size_t>(n, std::max<size_t>(pairs, 1)));
}

evaluation_input input_of(const evaluation_input& base, const document_pair& pair) {
  evaluation_input input = base;
  input.reference = pair.reference;
  if (!input.one_file) {
    input.hypothesis = pair.hypothesis;
  }
  input.empty_hypothesis = pair.hypothesis_missing;
  input.reference_part = pair.reference_part;
  input.hypothesis_part = pair.hypothesis_part;
  input.checked = input.reference_part.file != nullptr;
  return input;
}

worker_pool::worker_pool(const std::vector<document_pair>& pairs, const evaluation_input& base,
                         const report_options& reports, unsigned jobs)
    : pairs_(pairs),
      base_(base),
      reports_(reports),
      scheduler_(pairs.size(), batch_size(pairs.size(), jobs),
                 2 * batch_size(pairs.size(), jobs) * jobs) {
  try {
    threads_.reserve(jobs);
    for (unsigned j = 0; jobs > 1 && j < jobs; j++) {
      threads_.emplace_back([this] { work(); });
    }
  } catch (const std::exception&) {
    // The system gave fewer threads than asked: those it gave do the work.
  }
}

void worker_pool::work() {
  try {
    worker_state state;
    state.stop = scheduler_.stop_flag();
    std::vector<pair_result> results;
    for (auto [first, last] = scheduler_.take(); first < last;
         std::tie(first, last) = scheduler_.take()) {
      results.clear();
      // Once the run has stopped, the rest of the batch is not wanted.
      for (size_t i = first; i < last && !scheduler_.stopping(); i++) {
        results.push_back(evaluate_pair(input_of(base_, pairs_[i]), reports_, state));
      }
      scheduler_.finish(first, results);
    }
  } catch (...) {
    // Memory ran out where no evaluation could report it.
    scheduler_.fail();
  }
}

pair_result worker_pool::result(size_t i) {
  // On one thread each pair is evaluated where it is written: no hand-over.
  if (threads_.empty()) {
    return evaluate_pair(input_of(base_, pairs_[i]), reports_, own_state_);
  }
  return scheduler_.wait(i);
}

void worker_pool::stop() {
  if (stopped_) {
    return;
  }
  stopped_ = true;
  scheduler_.stop();
  for (std::thread& t : threads_) {
    t.join();
  }
}
