// The segments cut between consecutive frontiers.
#include "entities/segments.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <vector>

namespace {

// A frontier entry: a position and an entity with a candidate there, the
// reference entities first (by index), then the hypothesis entities.
uint64_t entry(int32_t pos, uint32_t entity) {
  return static_cast<uint64_t>(static_cast<uint32_t>(pos)) << 32 | entity;
}
int32_t entry_pos(uint64_t e) {
  return static_cast<int32_t>(e >> 32);
}
uint32_t entry_entity(uint64_t e) {
  return static_cast<uint32_t>(e);
}

void add_entries(std::vector<uint64_t>& entries, const entity_set& set, uint32_t base) {
  for (size_t i = 0; i < set.size(); i++) {
    const entity& e = set[i];
    assert(e.nstarts > 0 && e.nends > 0 && "segments are cut from refined entities");
    for (int32_t p : set.starts(e)) {
      entries.push_back(entry(p, base + static_cast<uint32_t>(i)));
    }
    for (int32_t p : set.ends(e)) {
      entries.push_back(entry(p, base + static_cast<uint32_t>(i)));
    }
  }
}

// Sorts the entries, which come in order of entity: a stable sort by
// position then gives the order of (position, entity). Large sets take two
// counting passes of 16 bits of the position, in time linear in their size,
// where a comparison sort of a million entries spent more time than reading
// the documents' tags.
void sort_entries(std::vector<uint64_t>& entries) {
  assert(std::is_sorted(entries.begin(), entries.end(),
                        [](uint64_t a, uint64_t b) { return entry_entity(a) < entry_entity(b); }));
  if (entries.size() < (1u << 16)) {
    std::sort(entries.begin(), entries.end());
    return;
  }
  std::vector<uint64_t> other(entries.size());
  std::vector<uint32_t> count(size_t{1} << 16);
  for (int shift : {32, 48}) {
    std::fill(count.begin(), count.end(), 0);
    for (uint64_t e : entries) {
      count[(e >> shift) & 0xffff]++;
    }
    uint32_t sum = 0;
    for (uint32_t& c : count) {
      const uint32_t n = c;
      c = sum;
      sum += n;
    }
    for (uint64_t e : entries) {
      other[count[(e >> shift) & 0xffff]++] = e;
    }
    entries.swap(other);
  }
}

}  // namespace

void build_segments(segment_set& segs, const entity_set& ref, const entity_set& hyp) {
  assert(segs.frontiers.empty());
  const uint32_t nref = static_cast<uint32_t>(ref.size());
  segs.ref_first.assign(ref.size(), -1);
  segs.ref_last.assign(ref.size(), -1);
  segs.hyp_first.assign(hyp.size(), -1);
  segs.hyp_last.assign(hyp.size(), -1);

  // Positions are never negative, so the entries sort by position, then by
  // entity; an entity with several candidates at one position is entered once.
  std::vector<uint64_t> entries;
  entries.reserve(ref.positions.size() + hyp.positions.size());
  add_entries(entries, ref, 0);
  add_entries(entries, hyp, nref);
  sort_entries(entries);
  entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
  if (entries.empty()) {
    return;
  }

  for (size_t i = 0; i < entries.size(); i++) {
    if (i == 0 || entry_pos(entries[i]) != entry_pos(entries[i - 1])) {
      segs.frontiers.push_back(entry_pos(entries[i]));
    }
  }
  segs.frontiers.shrink_to_fit();
  const size_t nseg = segs.size();
  const int32_t final_segment = static_cast<int32_t>(nseg) - 1;
  // An entity whose last end is the final frontier concerns the segments up to the last one.
  std::fill(segs.ref_last.begin(), segs.ref_last.end(), final_segment);
  std::fill(segs.hyp_last.begin(), segs.hyp_last.end(), final_segment);
  segs.refs_begin.resize(nseg + 1);
  segs.hyps_begin.resize(nseg + 1);
  segs.starting_refs.reserve(ref.positions.size());
  segs.starting_hyps.reserve(hyp.size());

  size_t i = 0;
  for (size_t sid = 0; sid < nseg; sid++) {
    const int32_t p = segs.frontiers[sid];
    segs.refs_begin[sid] = static_cast<uint32_t>(segs.starting_refs.size());
    segs.hyps_begin[sid] = static_cast<uint32_t>(segs.starting_hyps.size());
    const int32_t s = static_cast<int32_t>(sid);
    for (; i < entries.size() && entry_pos(entries[i]) == p; i++) {
      const uint32_t id = entry_entity(entries[i]);
      if (id < nref) {
        const entity& e = ref[id];
        if (segs.ref_first[id] < 0) {
          segs.ref_first[id] = s;
        }
        if (ref.last_end(e) == p) {
          segs.ref_last[id] = s;
        }
        const view<const int32_t> starts = ref.starts(e);
        for (size_t k = 0; k < starts.size(); k++) {
          if (starts[k] == p) {
            segs.starting_refs.push_back(
                ref_start{static_cast<int32_t>(id), static_cast<int32_t>(k)});
          }
        }
      } else {
        const uint32_t h = id - nref;
        const entity& e = hyp[h];
        if (segs.hyp_first[h] < 0) {
          segs.hyp_first[h] = s;
        }
        if (hyp.last_end(e) == p) {
          segs.hyp_last[h] = s;
        }
        if (e.nstarts && hyp.first_start(e) == p) {
          segs.starting_hyps.push_back(static_cast<int32_t>(h));
        }
      }
    }
  }
  segs.refs_begin[nseg] = static_cast<uint32_t>(segs.starting_refs.size());
  segs.hyps_begin[nseg] = static_cast<uint32_t>(segs.starting_hyps.size());
  segs.starting_refs.shrink_to_fit();

  // Who leaves after each segment, by a counting sort on the last segments
  // (with one frontier there is no segment, and no entity to leave one).
  segs.leaving_begin.assign(nseg + 1, 0);
  if (nseg == 0) {
    return;
  }
  segs.leaving.assign(ref.size() + hyp.size(), 0);
  for (const std::vector<int32_t>* last : {&segs.ref_last, &segs.hyp_last}) {
    for (int32_t l : *last) {
      segs.leaving_begin[static_cast<size_t>(l) + 1]++;
    }
  }
  for (size_t s = 0; s < nseg; s++) {
    segs.leaving_begin[s + 1] += segs.leaving_begin[s];
  }
  std::vector<uint32_t> fill(segs.leaving_begin.begin(), segs.leaving_begin.end() - 1);
  for (size_t r = 0; r < ref.size(); r++) {
    segs.leaving[fill[static_cast<size_t>(segs.ref_last[r])]++] = static_cast<int32_t>(r);
  }
  for (size_t h = 0; h < hyp.size(); h++) {
    segs.leaving[fill[static_cast<size_t>(segs.hyp_last[h])]++] = -1 - static_cast<int32_t>(h);
  }
}
