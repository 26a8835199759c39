// The reports: counts of the outcomes, summary, agreement values, detail
// listing, and diagnostic dumps of the intermediate data.
#pragma once

#include <string>
#include <vector>

#include "alignment/frontier_choice.h"
#include "description/error_d.h"
#include "entities/entity.h"
#include "entities/segment.h"

// Counts the outcomes written into the segments.
void calc_scores(const std::vector<segment>& segments, int& tc, std::vector<int>& tag_hypcount,
                 std::vector<int>& tag_refcount, std::vector<int>& tag_correct, double& ser,
                 int& count_insert, int& count_delete, int& count_subst, int& count_correct,
                 int& count_total);

// Slot error rate, counts, precision, recall and F-measure, per type too.
void show_summary(const std::vector<segment>& segments, int count_ref, int count_hyp);

// Inter-annotator agreement values.
void show_iag(const std::vector<segment>& segments, int count_ref, int count_hyp);

// Every error (and, with -c, every correct), segment by segment.
void show_details(const std::vector<segment>& segments, const char* data,
                  const frontier_choice_map& fm, const char* rfname, const char* hfname);

// The error type names of `err`, joined by one blank.
std::string build_error_string(const error_d& err);

// One line of the detail listing for entity `e`, led by the outcome letter.
void show_entity(const entity& e, const char* data, char error, const frontier_choice_map& fm);

// Diagnostic dumps.
void show_entity(const entity& e, const char* data, const frontier_choice_map& fm);
void show_entities(const std::vector<entity>& entities, const char* data);
void show_segments(const std::vector<segment>& segments, const char* data);
