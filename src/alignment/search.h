// The segment-by-segment search for the least-cost alignment, as the files
// of this folder share it.
//
// The search keeps, between two segments, the partial solutions that may
// still lead to the least-cost alignment (partial_solutions.h). Each segment
// expands every partial solution: every consistent combination of start
// decisions for the reference entities that may start there
// (start_choices.cc), and for each, every accepted pairing alternative
// (alternatives.cc), or only the cheapest when all of them end with the
// segment (branch_and_bound.cc). A child whose state equals that of one
// already made is merged with it at once (merge_table.h), the cheaper
// staying, the earlier on equal cost. What each partial solution decided is
// kept as steps (history.h), final whenever a single partial solution is
// left. When no partial solution survives a segment, the reference admits no
// consistent choice there, and no_consistent_choice.cc says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "alignment/align.h"
#include "alignment/alternatives.h"
#include "alignment/history.h"
#include "alignment/merge_table.h"
#include "alignment/partial_solutions.h"
#include "base/index_set.h"

// What the search reads and never changes.
struct search_inputs {
  const entity_set& ref;
  const entity_set& hyp;
  const segment_set& segs;
  const substitution_costs& costs;
  const char* ref_fname;  // for messages
  const search_limits& limits;
  int32_t nref;  // hypothesis entity h has the id nref + h
};

// What one segment's expansion shares among the partial solutions it
// expands: the reference entities that may start in it (one slot each, in
// index order) and their choices in the combination being made.
struct segment_scratch {
  view<const ref_start> slots;
  std::vector<int32_t> slot_of;        // reference index to its slot in this segment, or -1
  std::vector<uint8_t> already;        // by slot: the parent started the entity before
  std::vector<choice> slot_choice;     // by slot; sf -1: no entry yet, ef -1: deferred
  std::vector<choice> parent_choices;  // the parent's choices that still matter here
  index_set live_hyps;                 // hypothesis entities the segment concerns
};

// The pairing alternatives of one combination: the entities that start,
// with their targets, and the alternative being enumerated.
struct alternative_scratch {
  std::vector<starter> starters;
  std::vector<int32_t> targets;
  std::vector<int> digit;  // per starter: 0 unpaired, d paired with target d - 1
  std::vector<std::pair<int, id_pair>> chosen;  // the pairs decided so far, by level
  std::vector<uint8_t> used;                    // by id: paired in the alternative
};

// The search for the cheapest alternative of a combination whose decisions
// all end with the segment.
struct bound_state {
  size_t work = 0;  // what one bound costs, in units of the limit
  double best_cost = 0;
  std::vector<int> best_digit;                                     // empty until one is found
  std::vector<std::vector<std::pair<double, int>>> level_options;  // (bound, digit) per level
};

class search {
 public:
  search(const search_inputs& in, alignment_result& result);
  void run();

 private:
  // align.cc: the driver.
  void expand(size_t s);
  void expand_node(const segment& seg, const partial_solution& parent);
  void add_child(const partial_solution& parent, const segment& seg,
                 const std::vector<int>& digit_of);
  void settle_open_state(const partial_solution& parent, const segment& seg);
  void keep(const segment& seg, double score, int32_t prev_step);
  // Counts `n` alternatives made in the segment, and ends the run past the
  // limit.
  void count_alternatives(size_t n, const segment& seg);
  // Ends the run when the caller has asked it to stop (search_limits::stop).
  void check_stop() const;

  // start_choices.cc
  void start_choices(const partial_solution& parent, const segment& seg);
  bool choice_is_valid(const partial_solution& parent, const entity& e, int32_t r, int32_t sf,
                       int32_t ef) const;
  const choice* constraint_choice(const partial_solution& parent, int32_t c) const;

  // alternatives.cc
  void alternatives(const partial_solution& parent, const segment& seg);

  // branch_and_bound.cc
  bool decisions_end_here(const partial_solution& parent, const segment& seg) const;
  double miss_of(int32_t x) const;
  double pair_cost(int32_t x, int32_t y, int32_t& record) const;
  double lower_bound(const partial_solution& parent, int level) const;
  void cheapest_from(const partial_solution& parent, const segment& seg, int level);
  void cheapest_alternative(const partial_solution& parent, const segment& seg);

  // no_consistent_choice.cc
  [[noreturn]] void no_consistent_choice(const segment& seg) const;

  // Entities by id.
  const entity& at(int32_t id) const {
    return id < in_.nref ? in_.ref[static_cast<size_t>(id)]
                         : in_.hyp[static_cast<size_t>(id - in_.nref)];
  }
  int32_t last_end(int32_t id) const {
    return id < in_.nref ? in_.ref.last_end(at(id)) : in_.hyp.last_end(at(id));
  }
  bool crosses(const id_pair& a, const id_pair& b) const {
    return nestings_cross(at(a.first).depth, at(a.second).depth, at(b.first).depth,
                          at(b.second).depth);
  }
  // The pair of starter x and its target y, hypothesis first.
  id_pair pair_of(int32_t x, int32_t y) const {
    return x >= in_.nref ? id_pair(x, y) : id_pair(y, x);
  }
  // The acceptance of pair p below `parent`, with the alternative so far.
  bool accepted(const partial_solution& parent, const id_pair& p) const {
    return pairing_accepted(
        p, [&](int32_t id) { return cur_.is_active(parent, id); }, alt_.used,
        [&](const id_pair& q) {
          const open_pair* open = cur_.pairs.data() + parent.pairs;
          for (uint32_t i = 0; i < parent.npairs; i++) {
            if (crosses(q, id_pair(open[i].hyp, open[i].ref))) {
              return true;
            }
          }
          for (const auto& c : alt_.chosen) {
            if (crosses(q, c.second)) {
              return true;
            }
          }
          return false;
        });
  }

  const search_inputs in_;
  alignment_result& result_;
  generation cur_, next_;  // the partial solutions before and after the segment
  merge_table merged_;
  decision_history history_;
  size_t current_segment_ = 0;
  size_t alternatives_made_ = 0;  // in the current segment
  segment_scratch seg_;
  alternative_scratch alt_;
  bound_state bound_;
  child_state child_;
};
