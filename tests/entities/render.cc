// Test-only renderings of entities and segments.
#include "render.h"

#include <cstddef>
#include <cstdint>

namespace {

template <class T>
std::string join(const T& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    out += (i ? "," : "") + std::to_string(values[i]);
  }
  return out;
}

std::string show_range(const std::string& label, int32_t first, int32_t last) {
  return label + ":" + std::to_string(first) + "-" + std::to_string(last);
}

}  // namespace

std::string show_segments(const segment_set& segments) {
  std::string out;
  for (size_t i = 0; i < segments.size(); ++i) {
    const segment seg = segments[i];
    std::string refs, hyps;
    for (const ref_start& r : seg.starting_refs) {
      refs += (refs.empty() ? "r" : ",r") + std::to_string(r.ref) + "." + std::to_string(r.fid);
    }
    for (int32_t h : seg.starting_hyps) {
      hyps += (hyps.empty() ? "h" : ",h") + std::to_string(h);
    }
    out += (i ? " | " : "") + std::to_string(seg.start) + "-" + std::to_string(seg.end) + " s{" +
           refs + "} h{" + hyps + "}";
  }
  return out;
}

std::string show_ranges(const segment_set& segments) {
  std::string out;
  for (size_t i = 0; i < segments.ref_first.size(); ++i) {
    out += (out.empty() ? "" : " ") +
           show_range("r" + std::to_string(i), segments.ref_first[i], segments.ref_last[i]);
  }
  for (size_t i = 0; i < segments.hyp_first.size(); ++i) {
    out += (out.empty() ? "" : " ") +
           show_range("h" + std::to_string(i), segments.hyp_first[i], segments.hyp_last[i]);
  }
  return out;
}

std::string show_frontiers(const segment_set& segments) {
  return join(segments.frontiers);
}
