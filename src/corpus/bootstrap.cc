#include "corpus/bootstrap.h"

#include <algorithm>
#include <cmath>

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

double ratio(double num, double den) {
  return den == 0 ? NAN : num / den;
}

}  // namespace

bootstrap_report bootstrap(const std::vector<document_row>& documents, unsigned resamples,
                           uint64_t seed) {
  bootstrap_report report;
  report.resamples = resamples;
  report.seed = seed;
  if (documents.empty()) {
    return report;
  }
  random_stream random(seed);
  std::vector<double> ser, precision, recall, f;
  for (unsigned k = 0; k < resamples; k++) {
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
