#include "reports/bootstrap.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <map>
#include <string>

#include "base/fatal.h"
#include "reports/summary.h"

namespace {

// splitmix64: small, fast, and defined here bit for bit, unlike the
// standard library's distributions.
class random_stream {
 public:
  explicit random_stream(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n), without the bias of a plain remainder.
  uint64_t below(uint64_t n) {
    const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    uint64_t x;
    do {
      x = next();
    } while (x >= limit);
    return x % n;
  }

 private:
  uint64_t state_;
};

interval middle_95(std::vector<double>& values) {
  values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
               values.end());
  interval i;
  if (values.empty()) {
    return i;
  }
  std::sort(values.begin(), values.end());
  const double last = static_cast<double>(values.size() - 1);
  i.defined = true;
  i.low = values[static_cast<size_t>(std::lround(0.025 * last))];
  i.high = values[static_cast<size_t>(std::lround(0.975 * last))];
  return i;
}

void check_stop(const std::atomic<bool>* stop) {
  if (stop && stop->load(std::memory_order_relaxed)) {
    fatal(1, "Error: the evaluation was interrupted.\n");
  }
}

double ratio(double num, double den) {
  return den == 0 ? NAN : num / den;
}

// The sums a figure is made of, over some documents.
struct sums {
  double ref = 0, hyp = 0, corrects = 0, cost = 0;
  void add(const document_row& d) {
    ref += d.reference_entities;
    hyp += d.hypothesis_entities;
    corrects += d.corrects;
    cost += d.slot_error_sum;
  }
  double slot_error_rate() const { return ratio(cost, ref); }
  double f_measure() const { return ratio(2 * corrects, ref + hyp); }
};

difference differences(std::vector<double>& values, double estimate, int better_sign) {
  difference d;
  d.estimate = estimate;
  size_t better = 0, counted = 0;
  for (double v : values) {
    if (!std::isnan(v)) {
      counted++;
      better += better_sign * v > 0;
    }
  }
  d.share_better = counted ? static_cast<double>(better) / counted : NAN;
  d.range = middle_95(values);
  return d;
}

// Each type's sums over some documents, for both systems: one pass over the
// drawn documents' tallies, each tally's type index found once.
class type_sums {
 public:
  type_sums(const std::vector<document_row>& one, const std::vector<document_row>& two) {
    std::map<std::string, size_t> index;
    for (const std::vector<document_row>* rows : {&one, &two}) {
      for (const document_row& r : *rows) {
        for (const type_tally& t : r.types) {
          index.emplace(t.type, 0);
        }
      }
    }
    for (auto& [name, i] : index) {
      i = names_.size();
      names_.push_back(name);
    }
    for (int k = 0; k < 2; k++) {
      const std::vector<document_row>& rows = k == 0 ? one : two;
      for (const document_row& r : rows) {
        std::vector<entry> entries;
        for (const type_tally& t : r.types) {
          entries.push_back(entry{index[t.type], &t});
        }
        documents_[k].push_back(std::move(entries));
      }
      sums_[k].resize(names_.size());
    }
  }

  const std::vector<std::string>& names() const { return names_; }

  // The sums of the types in [lo, hi) only.
  void clear(size_t lo, size_t hi) {
    for (auto& s : sums_) {
      std::fill(s.begin() + static_cast<std::ptrdiff_t>(lo),
                s.begin() + static_cast<std::ptrdiff_t>(hi), type_tally());
    }
  }
  void add(size_t document, size_t lo, size_t hi) {
    for (int k = 0; k < 2; k++) {
      for (const entry& e : documents_[k][document]) {
        if (e.type < lo || e.type >= hi) {
          continue;
        }
        type_tally& s = sums_[k][e.type];
        s.reference += e.tally->reference;
        s.hypothesis += e.tally->hypothesis;
        s.correct += e.tally->correct;
        s.correct_hypothesis += e.tally->correct_hypothesis;
      }
    }
  }
  // System k's F-measure of type t, as the per-type table computes it; NaN
  // where neither side holds the type.
  double f_measure(int k, size_t t) const {
    const type_tally& s = sums_[k][t];
    if (s.reference + s.hypothesis == 0) {
      return NAN;
    }
    if (s.correct == s.correct_hypothesis) {
      return 2.0 * s.correct / (static_cast<double>(s.reference) + s.hypothesis);
    }
    const double p = s.hypothesis ? static_cast<double>(s.correct_hypothesis) / s.hypothesis : 0;
    const double r = s.reference ? static_cast<double>(s.correct) / s.reference : 0;
    return harmonic_mean(p, r);
  }

 private:
  struct entry {
    size_t type;
    const type_tally* tally;
  };
  std::vector<std::string> names_;
  std::vector<std::vector<entry>> documents_[2];
  std::vector<type_tally> sums_[2];
};

// Each type's F-measure difference over the same draws as the overall
// figures: the seed is replayed for each block of types, so that a large
// tag set holds no more than a block's values at a time, whatever the count
// of resamples.
void compare_types(const std::vector<document_row>& one, const std::vector<document_row>& two,
                   unsigned resamples, uint64_t seed, const std::atomic<bool>* stop,
                   size_t most_values, comparison_report& report) {
  type_sums types(one, two);
  const size_t count = types.names().size();
  types.clear(0, count);
  for (size_t n = 0; n < one.size(); n++) {
    types.add(n, 0, count);
  }
  for (size_t t = 0; t < count; t++) {
    type_difference d;
    d.type = types.names()[t];
    d.one = types.f_measure(0, t);
    d.two = types.f_measure(1, t);
    report.per_type.push_back(std::move(d));
  }
  const size_t block = std::max<size_t>(1, most_values / std::max(1u, resamples));
  for (size_t lo = 0; lo < count; lo += block) {
    const size_t hi = std::min(count, lo + block);
    std::vector<std::vector<double>> values(hi - lo);
    random_stream random(seed);
    for (unsigned k = 0; k < resamples && !one.empty(); k++) {
      check_stop(stop);
      types.clear(lo, hi);
      for (size_t n = 0; n < one.size(); n++) {
        types.add(random.below(one.size()), lo, hi);
      }
      for (size_t t = lo; t < hi; t++) {
        values[t - lo].push_back(types.f_measure(1, t) - types.f_measure(0, t));
      }
    }
    for (size_t t = lo; t < hi; t++) {
      type_difference& d = report.per_type[t];
      d.f_measure = differences(values[t - lo], d.two - d.one, 1);
    }
  }
}

}  // namespace

bootstrap_report bootstrap(const std::vector<document_row>& documents, unsigned resamples,
                           uint64_t seed, const std::atomic<bool>* stop) {
  bootstrap_report report;
  report.resamples = resamples;
  report.seed = seed;
  if (documents.empty()) {
    return report;
  }
  random_stream random(seed);
  std::vector<double> ser, precision, recall, f;
  for (unsigned k = 0; k < resamples; k++) {
    check_stop(stop);
    double ref = 0, hyp = 0, corrects = 0, cost = 0;
    for (size_t n = 0; n < documents.size(); n++) {
      const document_row& d = documents[random.below(documents.size())];
      ref += d.reference_entities;
      hyp += d.hypothesis_entities;
      corrects += d.corrects;
      cost += d.slot_error_sum;
    }
    ser.push_back(ratio(cost, ref));
    precision.push_back(ratio(corrects, hyp));
    recall.push_back(ratio(corrects, ref));
    f.push_back(ratio(2 * corrects, ref + hyp));
  }
  report.slot_error_rate = middle_95(ser);
  report.precision = middle_95(precision);
  report.recall = middle_95(recall);
  report.f_measure = middle_95(f);
  return report;
}

comparison_report compare_systems(const std::vector<document_row>& one,
                                  const std::vector<document_row>& two, unsigned resamples,
                                  uint64_t seed, const std::atomic<bool>* stop, bool per_type,
                                  size_t most_values) {
  assert(one.size() == two.size());
  comparison_report report;
  report.resamples = resamples;
  report.seed = seed;
  sums whole[2];
  for (size_t n = 0; n < one.size(); n++) {
    whole[0].add(one[n]);
    whole[1].add(two[n]);
  }
  std::vector<double> f, ser;
  random_stream random(seed);
  for (unsigned k = 0; k < resamples && !one.empty(); k++) {
    check_stop(stop);
    sums s[2];
    for (size_t n = 0; n < one.size(); n++) {
      const size_t pick = random.below(one.size());
      s[0].add(one[pick]);
      s[1].add(two[pick]);
    }
    f.push_back(s[1].f_measure() - s[0].f_measure());
    ser.push_back(s[1].slot_error_rate() - s[0].slot_error_rate());
  }
  report.f_measure = differences(f, whole[1].f_measure() - whole[0].f_measure(), 1);
  report.slot_error_rate =
      differences(ser, whole[1].slot_error_rate() - whole[0].slot_error_rate(), -1);
  if (per_type) {
    compare_types(one, two, resamples, seed, stop, most_values, report);
  }
  return report;
}
