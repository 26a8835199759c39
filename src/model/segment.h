// Segments: the text cut at every position where an entity of either side
// may start or end, with the entities that start in each, and the result of
// the alignment written per segment.
#pragma once

#include <cstdint>
#include <vector>

#include "model/cost_record.h"
#include "model/frontier_choice.h"
#include "model/view.h"

// A reference entity with the index of one of its start candidates.
struct ref_start {
  int32_t ref;  // index in the reference set
  int32_t fid;  // index of the start candidate
};

// One segment, as a view into its segment_set.
struct segment {
  int32_t start;  // the frontier that opens the segment
  int32_t end;    // the next frontier
  // Reference entities with a start candidate at `start`, and hypothesis
  // entities that start at `start`, each by index.
  view<const ref_start> starting_refs;
  view<const int32_t> starting_hyps;
};

// The segments of one evaluation. An entity concerns the segments from the
// one its first candidate opens to the one its last end candidate opens (the
// last segment when no segment opens there): `first` and `last` per entity.
struct segment_set {
  std::vector<int32_t> frontiers;    // every frontier, ascending: segment i is [i, i + 1)
  std::vector<uint32_t> refs_begin;  // segment i's starting references: from refs_begin[i]
  std::vector<uint32_t> hyps_begin;  // to refs_begin[i + 1]; likewise the hypotheses
  std::vector<ref_start> starting_refs;
  std::vector<int32_t> starting_hyps;
  std::vector<int32_t> ref_first, ref_last;
  std::vector<int32_t> hyp_first, hyp_last;
  // The entities whose last segment is segment i, reference r as r and
  // hypothesis h as -1 - h, references first, each side by index: from
  // leaving_begin[i] to leaving_begin[i + 1]. Every sweep over the segments
  // (the cost queries, the search) drops them from its live sets after
  // segment i, and so agrees with every other on which entities meet.
  std::vector<uint32_t> leaving_begin;
  std::vector<int32_t> leaving;

  size_t size() const { return frontiers.empty() ? 0 : frontiers.size() - 1; }
  view<const int32_t> leaving_after(size_t i) const {
    return view<const int32_t>(leaving.data() + leaving_begin[i],
                               leaving_begin[i + 1] - leaving_begin[i]);
  }
  segment operator[](size_t i) const {
    return segment{frontiers[i], frontiers[i + 1],
                   view<const ref_start>(starting_refs.data() + refs_begin[i],
                                         refs_begin[i + 1] - refs_begin[i]),
                   view<const int32_t>(starting_hyps.data() + hyps_begin[i],
                                       hyps_begin[i + 1] - hyps_begin[i])};
  }
};

// The cost of pairing each reference entity with each hypothesis entity it
// shares a segment with: per reference entity, its partners by increasing
// index, each with nstarts rows of nends records (the reference entity's
// candidate pairs).
struct substitution_costs {
  struct partner {
    int32_t hyp;
    uint32_t records;  // first record in `records`
  };
  std::vector<uint32_t> ref_begin;  // reference i's partners: [ref_begin[i], ref_begin[i + 1])
  std::vector<partner> partners;
  std::vector<cost_record> records;

  // The partner entry of (ref, hyp), or null when they share no segment.
  const partner* find(int32_t ref, int32_t hyp) const;
};

// One pairing the alignment made.
struct pairing {
  uint32_t seg;     // the segment where it was made
  int32_t ref;      // index in the reference set
  int32_t hyp;      // index in the hypothesis set
  uint32_t record;  // the record charged, in substitution_costs::records
};

// An entity left unpaired when it started.
struct unmapped_entity {
  uint32_t seg;  // the segment where it started
  int32_t id;    // a reference entity by its index r, a hypothesis entity h as -1 - h
};

// What the alignment chose: the pairings made and the entities left unpaired,
// both by segment and, within one, in the order decided; per reference
// entity, its chosen candidates.
struct alignment_result {
  std::vector<pairing> pairs;
  std::vector<unmapped_entity> unmapped;
  std::vector<frontier_choice> chosen;  // per reference entity
};
