// The hand-over between the threads of a corpus run: pairs out to the
// workers, their results back to the one writer, in corpus order.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

// Hands out pairs to the workers and their results to the writer, in
// corpus order. Small pairs go out a few at a time, so that handing them
// over costs little beside their evaluation. At most `window` pairs are
// ahead of the writer, which bounds the memory that finished pairs hold
// while an earlier one runs.
template <class Result>
class pair_scheduler {
 public:
  pair_scheduler(size_t count, size_t batch, size_t window)
      : count_(count), batch_(batch), window_(window) {}

  // The next pairs to evaluate, [first, last); empty when none is left.
  std::pair<size_t, size_t> take() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_workers_++;
    workers_.wait(lock,
                  [&] { return stop_flag_ || next_ >= count_ || next_ < written_ + window_; });
    idle_workers_--;
    if (stop_flag_ || next_ >= count_) {
      return {count_, count_};
    }
    const size_t first = next_;
    next_ = std::min(count_, next_ + batch_);
    return {first, next_};
  }

  // The results of the pairs from `first` on.
  void finish(size_t first, std::vector<Result>& results) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t k = 0; k < results.size(); k++) {
      ready_.emplace(first + k, std::move(results[k]));
    }
    // Only the pair the writer waits for wakes it.
    if (awaited_ >= first && awaited_ < first + results.size()) {
      writer_.notify_one();
    }
  }

  // The result of pair i, once it is there; pairs are asked for in order.
  Result wait(size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    awaited_ = i;
    writer_.wait(lock, [&] { return failed_ || ready_.count(i) != 0; });
    if (ready_.count(i) == 0) {
      throw std::bad_alloc();
    }
    Result r = std::move(ready_.at(i));
    ready_.erase(i);
    written_ = i + 1;
    if (idle_workers_ > 0 && next_ < written_ + window_) {
      workers_.notify_all();
    }
    return r;
  }

  // No pair starts after this, and those running are asked to end.
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_flag_ = true;
    workers_.notify_all();
  }
  bool stopping() const { return stop_flag_; }
  const std::atomic<bool>* stop_flag() const { return &stop_flag_; }

  // A worker could not go on (memory ran out outside any evaluation): the
  // writer's next wait throws, without anything to allocate here.
  void fail() {
    std::lock_guard<std::mutex> lock(mutex_);
    failed_ = true;
    stop_flag_ = true;
    writer_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable workers_;
  std::condition_variable writer_;
  const size_t count_;
  const size_t batch_;
  const size_t window_;
  size_t next_ = 0;
  size_t written_ = 0;
  size_t awaited_ = SIZE_MAX;
  size_t idle_workers_ = 0;
  bool failed_ = false;
  std::atomic<bool> stop_flag_{false};
  std::map<size_t, Result> ready_;
};
