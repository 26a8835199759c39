// Which costs the alignment may need, in the order they are asked: the one
// statement of the rule, for the description's cost passes and for anything
// else that fills the cost tables (the alignment tests do).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/index_set.h"
#include "model/entity.h"
#include "model/segment.h"

// Gives every entity of `set` its miss records, one row per start candidate
// and one entry per end candidate, and calls ask(e, sf, ef, record) for each
// whose span is not empty, entity by entity, row by row. Other records stay
// default (never asked).
template <class Ask>
void for_each_miss_query(entity_set& set, Ask&& ask) {
  size_t total = 0;
  for (const entity& e : set.items) {
    total += size_t(e.nstarts) * e.nends;
  }
  set.miss.assign(total, cost_record());
  uint32_t next = 0;
  for (entity& e : set.items) {
    e.miss = next;
    next += e.nstarts * e.nends;
  }
  for (const entity& e : set.items) {
    for (uint32_t sf = 0; sf < e.nstarts; sf++) {
      for (uint32_t ef = 0; ef < e.nends; ef++) {
        if (set.start(e, int(sf)) < set.end(e, int(ef))) {
          ask(e, int(sf), int(ef), set.miss_record(e, int(sf), int(ef)));
        }
      }
    }
  }
}

// Fills `costs` with a table for every reference entity and every hypothesis
// entity it shares a segment with, and calls ask(r, sf, ef, h, record) for
// each reference span that starts before h ends, ends at or after h starts
// (touching counts) and is not empty. The pairs come segment by segment, in
// the first segment the two share; within it by hypothesis entity, then by
// reference entity, each by index.
template <class Ask>
void for_each_substitution_query(const entity_set& ref, const entity_set& hyp,
                                 const segment_set& segs, substitution_costs& costs, Ask&& ask) {
  struct table {
    int32_t ref;
    int32_t hyp;
    uint32_t records;
  };
  std::vector<table> tables;
  costs.records.clear();

  const size_t nseg = segs.size();
  if (nseg == 0) {
    costs.ref_begin.assign(ref.size() + 1, 0);
    costs.partners.clear();
    return;
  }
  auto query = [&](int32_t r, int32_t h) {
    const entity& er = ref[size_t(r)];
    const entity& eh = hyp[size_t(h)];
    const uint32_t first = uint32_t(costs.records.size());
    tables.push_back(table{r, h, first});
    costs.records.resize(costs.records.size() + size_t(er.nstarts) * er.nends);
    // A hypothesis entity always has one start and one end once refined;
    // without them no pair can be asked about.
    if (eh.nstarts == 0 || eh.nends == 0) {
      return;
    }
    const int32_t hs = hyp.first_start(eh);
    const int32_t he = hyp.end(eh, 0);
    for (uint32_t sf = 0; sf < er.nstarts; sf++) {
      const int32_t rs = ref.start(er, int(sf));
      if (rs >= he) {
        continue;
      }
      for (uint32_t ef = 0; ef < er.nends; ef++) {
        const int32_t re = ref.end(er, int(ef));
        if (re >= hs && rs < re) {
          ask(er, int(sf), int(ef), eh, costs.records[first + sf * er.nends + ef]);
        }
      }
    }
  };

  // The segments are walked twice: once to count the tables and their
  // records, so that room for them is made once (growing, the records were
  // held twice at the peak of a nested corpus), then to ask.
  auto walk = [&](auto&& visit) {
    index_set live_refs(ref.size()), live_hyps(hyp.size());
    std::vector<int32_t> new_refs;
    for (size_t s = 0; s < nseg; s++) {
      const segment seg = segs[s];
      new_refs.clear();
      for (const ref_start& rs : seg.starting_refs) {
        if (segs.ref_first[size_t(rs.ref)] == int32_t(s)) {
          new_refs.push_back(rs.ref);
          live_refs.insert(size_t(rs.ref));
        }
      }
      for (int32_t h : seg.starting_hyps) {
        if (segs.hyp_first[size_t(h)] == int32_t(s)) {
          live_hyps.insert(size_t(h));
        }
      }
      // A pair is asked about in the first segment both concern: a
      // hypothesis entity that came earlier meets only the new reference
      // entities; a new one meets every live reference entity.
      if (!new_refs.empty()) {
        live_hyps.for_each([&](size_t h) {
          if (segs.hyp_first[h] == int32_t(s)) {
            live_refs.for_each([&](size_t r) { visit(int32_t(r), int32_t(h)); });
          } else {
            for (int32_t r : new_refs) {
              visit(r, int32_t(h));
            }
          }
        });
      } else {
        for (int32_t h : seg.starting_hyps) {
          if (segs.hyp_first[size_t(h)] == int32_t(s)) {
            live_refs.for_each([&](size_t r) { visit(int32_t(r), h); });
          }
        }
      }
      for (int32_t id : segs.leaving_after(s)) {
        if (id >= 0) {
          live_refs.erase(size_t(id));
        } else {
          live_hyps.erase(size_t(-1 - id));
        }
      }
    }
  };
  size_t table_count = 0;
  size_t record_count = 0;
  walk([&](int32_t r, int32_t) {
    const entity& er = ref[size_t(r)];
    table_count++;
    record_count += size_t(er.nstarts) * er.nends;
  });
  tables.reserve(table_count);
  costs.records.reserve(record_count);
  walk(query);

  // Grouped by reference entity, partners by increasing index.
  costs.ref_begin.assign(ref.size() + 1, 0);
  for (const table& t : tables) {
    costs.ref_begin[size_t(t.ref) + 1]++;
  }
  for (size_t r = 0; r < ref.size(); r++) {
    costs.ref_begin[r + 1] += costs.ref_begin[r];
  }
  costs.partners.resize(tables.size());
  std::vector<uint32_t> fill(costs.ref_begin.begin(), costs.ref_begin.end() - 1);
  for (const table& t : tables) {
    costs.partners[fill[size_t(t.ref)]++] = substitution_costs::partner{t.hyp, t.records};
  }
  for (size_t r = 0; r < ref.size(); r++) {
    auto b = costs.partners.begin() + costs.ref_begin[r];
    auto e = costs.partners.begin() + costs.ref_begin[r + 1];
    auto by_hyp = [](const substitution_costs::partner& x, const substitution_costs::partner& y) {
      return x.hyp < y.hyp;
    };
    if (!std::is_sorted(b, e, by_hyp)) {
      std::sort(b, e, by_hyp);
    }
  }
}
