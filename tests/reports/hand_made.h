// Hand-made alignment outcomes for the report tests: entities with their miss
// records, pairing records and segments, and the reports drawn from them.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "model/entity.h"
#include "model/error_d.h"
#include "model/frontier_choice.h"
#include "model/segment.h"
#include "model/vocabulary.h"
#include "reports/evaluated_pair.h"
#include "reports/report_options.h"

// Everything a report reads; the deques keep the addresses that segments hold.
struct run_outcome {
  vocabularies vocab;
  std::deque<entity> ents;
  std::deque<error_d> records;
  std::vector<segment> segments;
  frontier_choice_map fm;

  explicit run_outcome(const name_table& types = name_table()) { vocab.types = types; }

  // The reports' view, for a reference "ref.aref" and a hypothesis "hyp.txt"
  // over `text`, with the given entity counts.
  evaluated_pair pair(const std::string& text, int count_ref = 0, int count_hyp = 0) const;
};

// An asked record with this cost and these error type names (added to the
// run's error vocabulary in the order given).
error_d make_record(run_outcome& run, double cost, const std::vector<std::string>& types);

// An entity of a declared type whose every usable miss record is `miss`.
entity& add_entity(run_outcome& run, const std::string& type, bool hyp, std::vector<int> start,
                   std::vector<int> end, const error_d& miss, int line = 1,
                   const attr_list& attr = {});

// A pairing record kept alive by `run`.
const error_d* add_record(run_outcome& run, double cost, const std::vector<std::string>& types);

// Appends a segment with these unpaired entities and pairings.
void add_segment(run_outcome& run, int start, int end, std::vector<entity*> unmapped,
                 std::vector<segment::pairinfo> pairs = {});

// The common worked example: types pers and loc; three reference pers and one
// reference loc; two hypothesis pers and one hypothesis loc. Two pers pairings
// are correct at cost 0, the third reference pers is paired with the
// hypothesis loc at cost 0.5 (error type "type"), and the reference loc stays
// unpaired with miss cost 1 (error type "miss"). Declares the vocabularies.
void build_worked_example(run_outcome& run);

// The text reports of `run`, as the program prints them.
std::string summary_text(const run_outcome& run, int count_ref, int count_hyp);
std::string agreement_text(const run_outcome& run, int count_ref, int count_hyp, int expected_count,
                           bool open);
std::string details_text(const run_outcome& run, const std::string& data, bool with_corrects);
