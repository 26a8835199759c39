// The pairing alternatives of one combination of start decisions: who
// starts, with which targets, and each accepted alternative made a child
// (or only the cheapest, when all of them end with the segment).
#include <algorithm>
#include <iterator>

#include "alignment/search.h"

void search::alternatives(const partial_solution& parent, const segment& seg) {
  const entity_set& ref = in_.ref;
  const entity_set& hyp = in_.hyp;
  std::vector<starter>& starters = alt_.starters;
  std::vector<int32_t>& targets = alt_.targets;
  starters.clear();
  targets.clear();
  // Starting reference entities with an end, in index order: their targets
  // are the hypothesis entities of the segment that overlap their span.
  for (size_t k = 0; k < seg_.slots.size(); k++) {
    const choice& f = seg_.slot_choice[k];
    if (seg_.already[k] || f.ef == -1) {
      continue;
    }
    const entity& e = ref[static_cast<size_t>(f.ref)];
    const int32_t s = ref.start(e, f.sf);
    const int32_t t = ref.end(e, f.ef);
    starter st{f.ref, static_cast<uint32_t>(targets.size()), 0};
    seg_.live_hyps.for_each([&](size_t h) {
      const entity& eh = hyp[h];
      if (hyp.first_start(eh) < t && hyp.last_end(eh) > s) {
        targets.push_back(in_.nref + static_cast<int32_t>(h));
      }
    });
    st.count = static_cast<uint32_t>(targets.size()) - st.first;
    starters.push_back(st);
  }
  // Starting hypothesis entities: their targets are the reference entities
  // the path started earlier whose chosen span reaches into the segment.
  for (int32_t h : seg.starting_hyps) {
    starter st{in_.nref + h, static_cast<uint32_t>(targets.size()), 0};
    for (const choice& c : seg_.parent_choices) {
      if (ref.end(ref[static_cast<size_t>(c.ref)], c.ef) > seg.start) {
        targets.push_back(c.ref);
      }
    }
    st.count = static_cast<uint32_t>(targets.size()) - st.first;
    starters.push_back(st);
  }

  // The choices of every alternative of this combination: the parent's that
  // still matter, and the new ones (the slots are in index order).
  child_.new_choices.clear();
  for (size_t k = 0; k < seg_.slots.size(); k++) {
    if (!seg_.already[k] && seg_.slot_choice[k].ef != -1) {
      child_.new_choices.push_back(seg_.slot_choice[k]);
    }
  }
  child_.choices.clear();
  std::merge(seg_.parent_choices.begin(), seg_.parent_choices.end(), child_.new_choices.begin(),
             child_.new_choices.end(), std::back_inserter(child_.choices),
             [](const choice& a, const choice& b) { return a.ref < b.ref; });
  child_.choices_hash = choices_hash(child_.choices, ref, seg);

  if (decisions_end_here(parent, seg)) {
    cheapest_alternative(parent, seg);
    return;
  }
  for_each_accepted_alternative(
      starters, targets, [&](int32_t x, int32_t y) { return pair_of(x, y); },
      [&](const id_pair& p) { return accepted(parent, p); }, alt_.used, alt_.digit, alt_.chosen,
      [&](const std::vector<int>& d) { add_child(parent, seg, d); });
}
