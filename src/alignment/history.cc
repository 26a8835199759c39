#include "alignment/history.h"

#include <algorithm>
#include <cassert>

int32_t decision_history::record(int32_t prev, size_t seg, const child_state& child) {
  if (!child.decided_anything()) {
    return prev;
  }
  steps_.push_back(step{prev, static_cast<uint32_t>(seg), static_cast<uint32_t>(decisions_.size()),
                        static_cast<uint32_t>(child.pairings.size() / 3),
                        static_cast<uint32_t>(child.unmapped.size()),
                        static_cast<uint32_t>(child.new_choices.size())});
  decisions_.insert(decisions_.end(), child.pairings.begin(), child.pairings.end());
  decisions_.insert(decisions_.end(), child.unmapped.begin(), child.unmapped.end());
  for (const choice& c : child.new_choices) {
    decisions_.push_back(c.ref);
    decisions_.push_back(c.sf);
    decisions_.push_back(c.ef);
  }
  return static_cast<int32_t>(steps_.size() - 1);
}

void decision_history::commit(partial_solution& only, size_t through, alignment_result& result) {
  path_.clear();
  for (int32_t st = only.step; st >= 0; st = steps_[static_cast<size_t>(st)].prev) {
    path_.push_back(st);
  }
  for (auto it = path_.rbegin(); it != path_.rend(); ++it) {
    const step& st = steps_[static_cast<size_t>(*it)];
    assert(st.seg >= committed_ && st.seg <= through && "path and segments out of step");
    const int32_t* d = decisions_.data() + st.decisions;
    for (uint32_t i = 0; i < st.npairs; i++, d += 3) {
      result.pairs.push_back(pairing{st.seg, d[0], d[1], static_cast<uint32_t>(d[2])});
    }
    for (uint32_t i = 0; i < st.nunmapped; i++, d++) {
      result.unmapped.push_back(unmapped_entity{st.seg, *d});
    }
    for (uint32_t i = 0; i < st.nchoices; i++, d += 3) {
      result.chosen[static_cast<size_t>(d[0])] = frontier_choice(d[1], d[2]);
    }
  }
  committed_ = through + 1;
  steps_.clear();
  decisions_.clear();
  only.step = -1;
}

void decision_history::collect_if_grown(std::vector<partial_solution>& nodes) {
  if (steps_.size() <= collect_at_) {
    return;
  }
  std::vector<int32_t> renumber(steps_.size(), -1);
  for (const partial_solution& n : nodes) {
    for (int32_t st = n.step; st >= 0 && renumber[static_cast<size_t>(st)] < 0;
         st = steps_[static_cast<size_t>(st)].prev) {
      renumber[static_cast<size_t>(st)] = 0;
    }
  }
  std::vector<step> kept_steps;
  std::vector<int32_t> kept_decisions;
  for (size_t i = 0; i < steps_.size(); i++) {
    if (renumber[i] < 0) {
      continue;
    }
    renumber[i] = static_cast<int32_t>(kept_steps.size());
    step st = steps_[i];
    const uint32_t size = 3 * st.npairs + st.nunmapped + 3 * st.nchoices;
    const uint32_t from = st.decisions;
    st.decisions = static_cast<uint32_t>(kept_decisions.size());
    kept_decisions.insert(kept_decisions.end(), decisions_.begin() + from,
                          decisions_.begin() + from + size);
    // Steps come after the steps they continue.
    st.prev = st.prev >= 0 ? renumber[static_cast<size_t>(st.prev)] : -1;
    kept_steps.push_back(st);
  }
  for (partial_solution& n : nodes) {
    n.step = n.step >= 0 ? renumber[static_cast<size_t>(n.step)] : -1;
  }
  steps_.swap(kept_steps);
  decisions_.swap(kept_decisions);
  collect_at_ = std::max<size_t>(collect_at_, 2 * steps_.size());
}
