#include "reports/overlaps.h"

#include "reports/entity_text.h"

namespace {

bool overlap(std::pair<int, int> a, std::pair<int, int> b) {
  return a.first < b.second && b.first < a.second;
}

}  // namespace

overlap_index::overlap_index(const evaluated_pair& pair) : pair_(pair) {
  // The references' partners, turned around: each hypothesis entity's.
  const substitution_costs& costs = pair.costs;
  const size_t refs = costs.ref_begin.empty() ? 0 : costs.ref_begin.size() - 1;
  hyp_begin_.assign(pair.hyp.size() + 1, 0);
  for (const substitution_costs::partner& p : costs.partners) {
    hyp_begin_[static_cast<size_t>(p.hyp) + 1]++;
  }
  for (size_t h = 0; h < pair.hyp.size(); h++) {
    hyp_begin_[h + 1] += hyp_begin_[h];
  }
  hyp_refs_.resize(costs.partners.size());
  std::vector<uint32_t> next(hyp_begin_.begin(), hyp_begin_.end() - 1);
  for (size_t r = 0; r < refs; r++) {
    for (uint32_t k = costs.ref_begin[r]; k < costs.ref_begin[r + 1]; k++) {
      hyp_refs_[next[static_cast<size_t>(costs.partners[k].hyp)]++] = static_cast<int32_t>(r);
    }
  }
}

std::vector<int32_t> overlap_index::of(const outcome& o) const {
  std::vector<int32_t> out;
  const std::vector<frontier_choice>* chosen = &pair_.result.chosen;
  if (o.kind == outcome_kind::deletion) {
    const size_t r = static_cast<size_t>(o.ref - pair_.ref.items.data());
    const auto span = shown_span(pair_.ref, *o.ref, chosen);
    const substitution_costs& costs = pair_.costs;
    if (r + 1 < costs.ref_begin.size()) {
      for (uint32_t k = costs.ref_begin[r]; k < costs.ref_begin[r + 1]; k++) {
        const int32_t h = costs.partners[k].hyp;
        if (overlap(span, shown_span(pair_.hyp, pair_.hyp[static_cast<size_t>(h)], chosen))) {
          out.push_back(h);
        }
      }
    }
  } else if (o.kind == outcome_kind::insertion) {
    const size_t h = static_cast<size_t>(o.hyp - pair_.hyp.items.data());
    const auto span = shown_span(pair_.hyp, *o.hyp, chosen);
    for (uint32_t k = hyp_begin_[h]; k < hyp_begin_[h + 1]; k++) {
      const int32_t r = hyp_refs_[k];
      if (overlap(span, shown_span(pair_.ref, pair_.ref[static_cast<size_t>(r)], chosen))) {
        out.push_back(r);
      }
    }
  }
  return out;
}

int count_overlapping_misses(const evaluated_pair& pair) {
  const overlap_index index(pair);
  int count = 0;
  for_each_outcome(pair, [&](const outcome& o) { count += !index.of(o).empty(); });
  return count;
}
