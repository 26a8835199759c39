#include "reports/html_page.h"

#include <algorithm>

#include "reports/entity_text.h"

namespace {

page_entity drawn(const evaluated_pair& pair, const entity& e, uint32_t outcome) {
  const entity_set& set = e.hyp ? pair.hyp : pair.ref;
  const frontier_choice f = shown_choice(set, e, &pair.result.chosen);
  const int start = candidate_or(set.starts(e), f.sf, -1);
  const int end = candidate_or(set.ends(e), f.ef, -1);
  return page_entity{&e, start < 0 ? set.first_start(e) : start, end < 0 ? set.last_end(e) : end,
                     outcome};
}

}  // namespace

page_model build_page_model(const evaluated_pair& pair) {
  page_model m;
  for_each_outcome(pair, [&](const outcome& o) {
    const uint32_t index = static_cast<uint32_t>(m.outcomes.size());
    page_outcome p{o};
    if (o.ref) {
      p.ref = static_cast<int32_t>(m.entities.size());
      m.entities.push_back(drawn(pair, *o.ref, index));
    }
    if (o.hyp) {
      p.hyp = static_cast<int32_t>(m.entities.size());
      m.entities.push_back(drawn(pair, *o.hyp, index));
    }
    m.outcomes.push_back(p);
  });
  // Drawing order; the outcomes keep their entities' new places.
  std::vector<uint32_t> order(m.entities.size());
  for (uint32_t i = 0; i < order.size(); i++) {
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const page_entity& x = m.entities[a];
    const page_entity& y = m.entities[b];
    if (x.start != y.start) {
      return x.start < y.start;
    }
    if (x.end != y.end) {
      return x.end > y.end;
    }
    return !x.e->hyp && y.e->hyp;
  });
  std::vector<page_entity> sorted;
  sorted.reserve(order.size());
  std::vector<int32_t> place(order.size());
  for (uint32_t k = 0; k < order.size(); k++) {
    place[order[k]] = static_cast<int32_t>(k);
    sorted.push_back(m.entities[order[k]]);
  }
  m.entities = std::move(sorted);
  for (page_outcome& p : m.outcomes) {
    p.ref = p.ref < 0 ? -1 : place[static_cast<size_t>(p.ref)];
    p.hyp = p.hyp < 0 ? -1 : place[static_cast<size_t>(p.hyp)];
  }
  return m;
}
