// The driver of the search (search.h): segment after segment, every partial
// solution expanded, each child kept or merged, and the steps committed
// whenever one partial solution is left.
#include "alignment/align.h"

#include <algorithm>
#include <cassert>

#include "alignment/search.h"
#include "base/fatal.h"

search::search(const search_inputs& in, alignment_result& result) : in_(in), result_(result) {
  seg_.slot_of.assign(in.ref.size(), -1);
  seg_.live_hyps.reset(in.hyp.size());
  alt_.used.assign(in.ref.size() + in.hyp.size(), 0);
}

void search::check_stop() const {
  if (in_.limits.stop && in_.limits.stop->load(std::memory_order_relaxed)) {
    fatal(1, "Error: the evaluation was interrupted.\n");
  }
}

void search::count_alternatives(size_t n, const segment& seg) {
  // A long segment looks at the stop every few thousand alternatives.
  if ((alternatives_made_ + n) >> 12 != alternatives_made_ >> 12) {
    check_stop();
  }
  alternatives_made_ += n;
  if (alternatives_made_ > in_.limits.max_alternatives) {
    fatal(1,
          "%s: Error: the least-cost alignment needs more than %zu alternatives in the segment "
          "at position %d (see --search-limit).\n",
          in_.ref_fname, in_.limits.max_alternatives, seg.start);
  }
}

// Builds the child of `parent` for one accepted alternative, then keeps it
// or merges it. Costs are added in starter order, so that equal paths get
// bit-identical scores.
void search::add_child(const partial_solution& parent, const segment& seg,
                       const std::vector<int>& digit_of) {
  // An alternative of many starters weighs as much as the work it takes.
  count_alternatives(1 + alt_.starters.size() / 64, seg);
  const entity_set& ref = in_.ref;
  const entity_set& hyp = in_.hyp;
  const int32_t nref = in_.nref;
  child_state& c = child_;
  double score = parent.score;
  c.pairings.clear();
  c.unmapped.clear();
  c.added.clear();
  c.pairs.assign(cur_.pairs.begin() + parent.pairs,
                 cur_.pairs.begin() + parent.pairs + parent.npairs);
  auto added = [&](int32_t id) {
    return std::find(c.added.begin(), c.added.end(), id) != c.added.end();
  };
  size_t next_slot = 0;  // the reference starters follow the slots' order
  for (size_t i = 0; i < alt_.starters.size(); i++) {
    const starter& st = alt_.starters[i];
    const int32_t x = st.x;
    const int target_digit = digit_of[i];
    if (target_digit == 0) {
      if (x >= nref) {
        // A starting hypothesis entity that a starting reference entity paired.
        if (alt_.used[static_cast<size_t>(x)] || added(x)) {
          continue;
        }
        c.unmapped.push_back(-1 - (x - nref));
        score += hyp.miss_record(hyp[static_cast<size_t>(x - nref)], 0, 0).cost;
      } else {
        while (seg_.slot_choice[next_slot].ref != x) {
          next_slot++;
        }
        const choice& f = seg_.slot_choice[next_slot];
        const cost_record& miss = ref.miss_record(ref[static_cast<size_t>(x)], f.sf, f.ef);
        assert(miss.asked() && "miss cost of a span that was never costed");
        c.unmapped.push_back(x);
        score += miss.cost;
      }
      continue;
    }
    const int32_t y = alt_.targets[st.first + static_cast<uint32_t>(target_digit - 1)];
    const int32_t eh = x >= nref ? x : y;
    const int32_t er = x >= nref ? y : x;
    // The chosen candidates of er: made in this combination, or on the path.
    const choice* ref_choice = nullptr;
    for (const choice& nc : c.new_choices) {
      if (nc.ref == er) {
        ref_choice = &nc;
      }
    }
    if (!ref_choice) {
      ref_choice = cur_.find_choice(parent, er);
    }
    assert(ref_choice && "paired reference entity has no choice");
    const substitution_costs::partner* partner = in_.costs.find(er, eh - nref);
    assert(partner && "paired entities never shared a segment");
    const entity& e = ref[static_cast<size_t>(er)];
    const uint32_t record = partner->records + static_cast<uint32_t>(ref_choice->sf) * e.nends +
                            static_cast<uint32_t>(ref_choice->ef);
    assert(in_.costs.records[record].asked() && "pairing whose cost was never asked");
    c.pairings.push_back(er);
    c.pairings.push_back(eh - nref);
    c.pairings.push_back(static_cast<int32_t>(record));
    c.pairs.push_back(open_pair{eh, er});
    c.added.push_back(eh);
    c.added.push_back(er);
    score += in_.costs.records[record].cost;
  }

  settle_open_state(parent, seg);
  keep(seg, score, parent.step);
}

// The child's active set after the segment (paired entities whose last end
// lies beyond it) and the pairings that stay open between them.
void search::settle_open_state(const partial_solution& parent, const segment& seg) {
  child_state& c = child_;
  c.active.clear();
  const int32_t* parent_active = cur_.active.data() + parent.active;
  for (uint32_t i = 0; i < parent.nactive; i++) {
    if (last_end(parent_active[i]) != seg.end) {
      c.active.push_back(parent_active[i]);
    }
  }
  const size_t kept = c.active.size();
  for (int32_t id : c.added) {
    if (last_end(id) != seg.end) {
      c.active.push_back(id);
    }
  }
  if (c.active.size() > kept) {
    std::sort(c.active.begin() + static_cast<long>(kept), c.active.end());
    std::inplace_merge(c.active.begin(), c.active.begin() + static_cast<long>(kept),
                       c.active.end());
  }
  // Open pairings lose those with an entity that ended.
  auto is_active = [&](int32_t id) {
    return std::binary_search(c.active.begin(), c.active.end(), id);
  };
  c.pairs.erase(
      std::remove_if(c.pairs.begin(), c.pairs.end(),
                     [&](const open_pair& p) { return !is_active(p.hyp) || !is_active(p.ref); }),
      c.pairs.end());
}

// Keeps the child, or merges it with the equivalent partial solution already
// kept: the cheaper stays, the earlier on equal cost.
void search::keep(const segment& seg, double score, int32_t prev_step) {
  const uint64_t h = state_hash(child_);
  size_t slot = 0;
  const int32_t found = merged_.find(
      h, next_.nodes,
      [&](const partial_solution& o) { return same_state(child_, o, next_, in_.ref, seg); }, slot);
  if (found >= 0 && score >= next_.nodes[static_cast<size_t>(found)].score) {
    return;
  }
  const int32_t step_id = history_.record(prev_step, current_segment_, child_);
  const partial_solution n{score,
                           step_id,
                           static_cast<uint32_t>(next_.active.size()),
                           static_cast<uint32_t>(child_.active.size()),
                           static_cast<uint32_t>(next_.pairs.size()),
                           static_cast<uint32_t>(child_.pairs.size()),
                           static_cast<uint32_t>(next_.choices.size()),
                           static_cast<uint32_t>(child_.choices.size()),
                           h};
  next_.active.insert(next_.active.end(), child_.active.begin(), child_.active.end());
  next_.pairs.insert(next_.pairs.end(), child_.pairs.begin(), child_.pairs.end());
  next_.choices.insert(next_.choices.end(), child_.choices.begin(), child_.choices.end());
  if (found >= 0) {
    next_.nodes[static_cast<size_t>(found)] = n;
    return;
  }
  if (next_.nodes.size() >= in_.limits.max_partial_solutions) {
    fatal(1,
          "%s: Error: the least-cost alignment needs more than %zu partial solutions at once "
          "at position %d (see --search-limit).\n",
          in_.ref_fname, in_.limits.max_partial_solutions, seg.start);
  }
  merged_.insert(slot, static_cast<int32_t>(next_.nodes.size()));
  next_.nodes.push_back(n);
}

void search::expand_node(const segment& seg, const partial_solution& parent) {
  // The parent's choices of entities whose last end is not before the segment.
  seg_.parent_choices.clear();
  const choice* pc = cur_.choices.data() + parent.choices;
  for (uint32_t i = 0; i < parent.nchoices; i++) {
    if (in_.ref.last_end(in_.ref[static_cast<size_t>(pc[i].ref)]) >= seg.start) {
      seg_.parent_choices.push_back(pc[i]);
    }
  }
  start_choices(parent, seg);
}

void search::expand(size_t s) {
  const segment seg = in_.segs[s];
  seg_.slots = seg.starting_refs;
  seg_.already.assign(seg_.slots.size(), 0);
  seg_.slot_choice.assign(seg_.slots.size(), choice{-1, -1, -1});
  for (size_t k = 0; k < seg_.slots.size(); k++) {
    // Two slots of one entity would make the backtracking loop for ever.
    assert((k == 0 || seg_.slots[k - 1].ref < seg_.slots[k].ref) &&
           "one slot per entity, in index order");
    seg_.slot_of[static_cast<size_t>(seg_.slots[k].ref)] = static_cast<int32_t>(k);
  }
  for (int32_t h : seg.starting_hyps) {
    seg_.live_hyps.insert(static_cast<size_t>(h));
  }

  next_.clear();
  current_segment_ = s;
  alternatives_made_ = 0;
  merged_.clear();
  for (const partial_solution& parent : cur_.nodes) {
    expand_node(seg, parent);
  }
  if (next_.nodes.empty()) {
    no_consistent_choice(seg);
  }

  for (const ref_start& rs : seg_.slots) {
    seg_.slot_of[static_cast<size_t>(rs.ref)] = -1;
  }
  std::swap(cur_, next_);
}

void search::run() {
  const segment_set& segs = in_.segs;
  const size_t nseg = segs.size();
  result_.pairs.clear();
  result_.unmapped.clear();
  result_.chosen.assign(in_.ref.size(), frontier_choice());

  cur_.clear();
  cur_.nodes.push_back(partial_solution{0, -1, 0, 0, 0, 0, 0, 0, 0});
  for (size_t s = 0; s < nseg; s++) {
    check_stop();
    expand(s);
    // Hypothesis entities leave the live set after the last segment they concern.
    for (int32_t id : segs.leaving_after(s)) {
      if (id < 0) {
        seg_.live_hyps.erase(static_cast<size_t>(-1 - id));
      }
    }
    if (cur_.nodes.size() == 1) {
      history_.commit(cur_.nodes[0], s, result_);
    } else {
      history_.collect_if_grown(cur_.nodes);
    }
  }
  assert(cur_.nodes.size() == 1 && "every entity has ended after the last segment");
  result_.pairs.shrink_to_fit();
  result_.unmapped.shrink_to_fit();
}

void align(const entity_set& ref, const entity_set& hyp, const segment_set& segments,
           const substitution_costs& costs, alignment_result& result, const char* ref_fname,
           const search_limits& limits) {
  const search_inputs in{
      ref, hyp, segments, costs, ref_fname, limits, static_cast<int32_t>(ref.size())};
  search(in, result).run();
}
