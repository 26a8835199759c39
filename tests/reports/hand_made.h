// Hand-made alignment outcomes for the report tests: entities with their miss
// records, pairing records and segments, plus a capture of standard output.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "alignment/frontier_choice.h"
#include "description/error_d.h"
#include "entities/entity.h"
#include "entities/segment.h"

// Everything a report reads; the deques keep the addresses that segments hold.
struct run_outcome {
  std::deque<entity> ents;
  std::deque<error_d> records;
  std::vector<segment> segments;
  frontier_choice_map fm;
};

// An asked record with this cost and these error type names (added to the
// error vocabulary in the order given).
error_d make_record(double cost, const std::vector<std::string>& types);

// An entity of a declared type whose every usable miss record is `miss`.
entity& add_entity(run_outcome& run, const std::string& type, bool hyp, std::vector<int> start,
                   std::vector<int> end, const error_d& miss, int line = 1,
                   const attr_list& attr = {});

// A pairing record kept alive by `run`.
const error_d* add_record(run_outcome& run, double cost, const std::vector<std::string>& types);

// Appends a segment with these unpaired entities and pairings.
void add_segment(run_outcome& run, int start, int end, std::vector<entity*> unmapped,
                 std::vector<segment::pairinfo> pairs = {});

// What `print` writes on standard output.
std::string capture_stdout(const std::function<void()>& print);

// The common worked example: types pers and loc; three reference pers and one
// reference loc; two hypothesis pers and one hypothesis loc. Two pers pairings
// are correct at cost 0, the third reference pers is paired with the
// hypothesis loc at cost 0.5 (error type "type"), and the reference loc stays
// unpaired with miss cost 1 (error type "miss"). Declares the vocabularies.
void build_worked_example(run_outcome& run);
