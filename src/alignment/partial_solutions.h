// Partial solutions of the search: what a path decided up to a segment
// boundary, kept as a cost and a state in pools that are refilled for each
// segment, and the child that one alternative makes of a partial solution.
//
// Entity ids in the search: reference entity r is r, hypothesis entity h is
// nref + h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/entity.h"
#include "model/segment.h"

// The candidates chosen for a reference entity: start candidate `sf`, end
// candidate `ef` (-1 while the entity waits for a later start).
struct choice {
  int32_t ref;
  int32_t sf;
  int32_t ef;
};

// A pairing held open: (hypothesis id, reference id).
struct open_pair {
  int32_t hyp;
  int32_t ref;
  bool operator==(const open_pair& o) const { return hyp == o.hyp && ref == o.ref; }
};

// A partial solution between two segments; its state lies in the pools of
// its generation: the entities paired and not yet ended (`active`, ids
// ascending), the pairings open, and the choices of the reference entities
// that may still matter (by reference entity).
struct partial_solution {
  double score;
  int32_t step;  // its last step in the history; -1 when it decided nothing since the last commit
  uint32_t active, nactive;
  uint32_t pairs, npairs;
  uint32_t choices, nchoices;
  uint64_t hash;  // of its state, as state_hash() gives it
};

// The partial solutions of one segment boundary, and the pools of their states.
struct generation {
  std::vector<partial_solution> nodes;
  std::vector<int32_t> active;
  std::vector<open_pair> pairs;
  std::vector<choice> choices;

  void clear() {
    nodes.clear();
    active.clear();
    pairs.clear();
    choices.clear();
  }
  bool is_active(const partial_solution& p, int32_t id) const;
  // The choice of reference entity r on p's path, or null.
  const choice* find_choice(const partial_solution& p, int32_t r) const;
};

// The child of a partial solution for one alternative, while it is made: its
// state, and what it decided in the segment.
struct child_state {
  std::vector<int32_t> active;      // ids, ascending
  std::vector<open_pair> pairs;     // in the order they were made
  std::vector<choice> choices;      // the parent's that still matter and the new ones, by entity
  std::vector<int32_t> pairings;    // (reference, hypothesis, cost record) triples
  std::vector<int32_t> unmapped;    // reference r as r, hypothesis h as -1 - h
  std::vector<choice> new_choices;  // made in this combination, by reference entity
  uint64_t choices_hash = 0;        // of `choices`, as choices_hash() gives it
  std::vector<int32_t> added;       // ids paired in this segment

  bool decided_anything() const {
    return !pairings.empty() || !unmapped.empty() || !new_choices.empty();
  }
};

// Combines a value into a hash; every bit of the value reaches the low bits
// that index the merge table.
inline uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

// The hash of a child's choices after `seg`: a choice whose end the segment
// has passed cannot matter any more, so states that differ only there are
// one.
uint64_t choices_hash(const std::vector<choice>& choices, const entity_set& ref,
                      const segment& seg);

// The hash of the child's whole state (its choices_hash set).
uint64_t state_hash(const child_state& child);

// Whether partial solution `o` of `pool` has the child's state after `seg`:
// the same active entities, the same open pairings in the same order, and
// the same choices where they may still matter.
bool same_state(const child_state& child, const partial_solution& o, const generation& pool,
                const entity_set& ref, const segment& seg);

inline bool generation::is_active(const partial_solution& p, int32_t id) const {
  const int32_t* b = active.data() + p.active;
  const int32_t* e = b + p.nactive;
  return std::binary_search(b, e, id);
}

inline const choice* generation::find_choice(const partial_solution& p, int32_t r) const {
  const choice* b = choices.data() + p.choices;
  const choice* e = b + p.nchoices;
  const choice* it =
      std::lower_bound(b, e, r, [](const choice& c, int32_t x) { return c.ref < x; });
  return it != e && it->ref == r ? it : nullptr;
}
