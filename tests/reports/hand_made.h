// Hand-made alignment outcomes for the report tests: entities with their miss
// records, pairing records and what the alignment chose, and the reports
// drawn from them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/cost_record.h"
#include "model/entity.h"
#include "model/frontier_choice.h"
#include "model/segment.h"
#include "model/vocabulary.h"
#include "reports/evaluated_pair.h"

// Attribute (name, value) pairs, in document order.
using attr_list = std::vector<std::pair<std::string, std::string>>;

// An entity of a run: its side and its index in that side's set.
struct entity_id {
  bool hyp;
  int32_t index;
};

// A pairing the alignment made: the two entities and the record charged, by
// its index in the run's substitution records.
struct made_pairing {
  entity_id ref;
  entity_id hyp;
  uint32_t record;
};

// Everything a report reads. The segments stay empty: the reports take the
// order of the outcomes from the alignment's result alone.
struct run_outcome {
  vocabularies vocab;
  entity_set ref;
  entity_set hyp;
  segment_set segments;
  substitution_costs costs;
  alignment_result result;
  uint32_t next_segment = 0;

  explicit run_outcome(const name_table& types = name_table()) { vocab.types = types; }

  // The reports' view, for a reference "ref.aref" and a hypothesis "hyp.txt"
  // over `text`, which must outlive it.
  evaluated_pair pair(const char* text) const;

  entity_set& set_of(entity_id e) { return e.hyp ? hyp : ref; }
  entity& operator[](entity_id e) { return set_of(e)[static_cast<size_t>(e.index)]; }
};

// An asked record with this cost and these error type names (added to the
// run's error vocabulary in the order given, and kept in that order).
cost_record make_record(run_outcome& run, double cost, const std::vector<std::string>& types);

// An entity of a declared type whose every usable miss record is `miss`.
entity_id add_entity(run_outcome& run, const std::string& type, bool hyp,
                     const std::vector<int32_t>& start, const std::vector<int32_t>& end,
                     const cost_record& miss, int line = 1, const attr_list& attr = {});

// The miss record of entity `e` at candidates (sf, ef).
cost_record& miss_of(run_outcome& run, entity_id e, int sf, int ef);

// The candidates the alignment chose for reference entity `e`.
void choose(run_outcome& run, entity_id e, frontier_choice choice);

// A pairing record among the run's substitution records; returns its index.
uint32_t add_record(run_outcome& run, double cost, const std::vector<std::string>& types);

// The alignment's outcomes in the next segment: these entities left unpaired
// there, and these pairings made there.
void add_segment(run_outcome& run, const std::vector<entity_id>& unmapped,
                 const std::vector<made_pairing>& pairs = {});

// The common worked example: types pers and loc; three reference pers and one
// reference loc; two hypothesis pers and one hypothesis loc. Two pers pairings
// are correct at cost 0, the third reference pers is paired with the
// hypothesis loc at cost 0.5 (error type "type"), and the reference loc stays
// unpaired with miss cost 1 (error type "miss"). Declares the vocabularies.
void build_worked_example(run_outcome& run);

// Correct pairings across types, as a description that ignores types makes
// them: types pers, loc, org and misc. Correct at cost 0: reference pers with
// hypothesis loc, pers with pers, loc with loc, org with misc; a reference loc
// stays unpaired (miss cost 1, "miss"). By type, (hypothesis, reference)
// entities and corrects: pers (1, 2) and (1, 2); loc (2, 2) and (2, 1); org
// (0, 1) and (0, 1); misc (1, 0) and (1, 0). Declares the vocabularies.
void build_cross_type_example(run_outcome& run);

// The text reports of `run`, as the program prints them.
std::string summary_text(const run_outcome& run);
std::string agreement_text(const run_outcome& run, int expected_count, bool open);
std::string details_text(const run_outcome& run, const std::string& data, bool with_corrects);
