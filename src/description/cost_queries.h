// Which costs the alignment may need, in the order they are asked: the one
// statement of the rule, for the description's cost passes and for anything
// else that fills the cost tables (the alignment tests do).
#pragma once

#include <vector>

#include "model/entity.h"
#include "model/error_d.h"
#include "model/segment.h"

// Gives every entity a miss table of one row per start candidate and one
// entry per end candidate, and calls ask(e, sf, ef, record) for each entry
// whose span is not empty, entity by entity, row by row. Other entries keep
// the default record.
template <class Ask>
void for_each_miss_query(std::vector<entity>& entities, Ask&& ask) {
  for (entity& e : entities) {
    e.miss_errors.assign(e.start.size(), std::vector<error_d>(e.end.size()));
    for (size_t sf = 0; sf < e.start.size(); sf++) {
      for (size_t ef = 0; ef < e.end.size(); ef++) {
        if (e.start[sf] < e.end[ef]) {
          ask(e, static_cast<int>(sf), static_cast<int>(ef), e.miss_errors[sf][ef]);
        }
      }
    }
  }
}

// Gives every reference entity a substitution table for each hypothesis
// entity it shares a segment with, segment by segment, and calls
// ask(r, sf, ef, h, record) for each reference span that starts before h ends,
// ends at or after h starts (touching counts) and is not empty.
template <class Ask>
void for_each_substitution_query(std::vector<segment>& segments, Ask&& ask) {
  for (segment& s : segments) {
    for (entity* eh : s.entities) {
      if (!eh->hyp) {
        continue;
      }
      for (entity* er : s.entities) {
        if (er->hyp || er->subst_errors.count(eh)) {
          continue;
        }
        cost_table& table = er->subst_errors[eh];
        table.assign(er->start.size(), std::vector<error_d>(er->end.size()));
        // A hypothesis entity always has one start and one end once refined;
        // without them no pair can be asked about.
        if (eh->start.empty() || eh->end.empty()) {
          continue;
        }
        for (size_t sf = 0; sf < er->start.size(); sf++) {
          if (er->start[sf] >= eh->end[0]) {
            continue;
          }
          for (size_t ef = 0; ef < er->end.size(); ef++) {
            if (er->end[ef] >= eh->start[0] && er->start[sf] < er->end[ef]) {
              ask(*er, static_cast<int>(sf), static_cast<int>(ef), *eh, table[sf][ef]);
            }
          }
        }
      }
    }
  }
}
