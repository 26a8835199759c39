// Diagnostic dumps of entities and segments, for inspecting a run by hand.
// They may be called at any stage, so they accept entities without candidates.
#include <cstdio>

#include "reports/outcome.h"
#include "reports/reports.h"

namespace {

char side_letter(const entity& e) {
  return e.hyp ? 'H' : 'R';
}

// The candidate at `index`, or -1 when the entity has none there.
int candidate_or_none(const std::vector<int>& positions, int index) {
  return candidate_or(positions, index, -1);
}

int first_start(const entity& e) {
  return candidate_or_none(e.start, 0);
}
int last_end(const entity& e) {
  return candidate_or_none(e.end, static_cast<int>(e.end.size()) - 1);
}

// The text between two candidates, empty when either is missing.
std::string candidate_text(const char* data, int from, int to) {
  if (from < 0 || to < 0) {
    return std::string();
  }
  return span_text(data, from, to);
}

}  // namespace

void show_entity(const entity& e, const char* data, const frontier_choice_map& fm) {
  frontier_choice f = shown_choice(e, fm);
  std::string text =
      candidate_text(data, candidate_or_none(e.start, f.sf), candidate_or_none(e.end, f.ef));
  printf("%c:%d:%s:%s", side_letter(e), e.depth, type_name(e.tagid), text.c_str());
}

void show_entities(const std::vector<entity>& entities, const char* data) {
  int i = 0;
  for (const entity& e : entities) {
    int from = first_start(e);
    int to = last_end(e);
    printf("%4d: %5d %5d %d %c %s %s\n", i, from, to, e.depth, side_letter(e), type_name(e.tagid),
           candidate_text(data, from, to).c_str());
    i++;
  }
}

void show_segments(const std::vector<segment>& segments, const char* data) {
  int i = 0;
  for (const segment& seg : segments) {
    printf("%4d: %5d %5d", i, seg.start, seg.end);
    int j = 0;
    for (const entity* e : seg.entities) {
      printf("%s", j == 0 ? " " : " | ");
      printf("%c:%d:%d %s %s", side_letter(*e), e->depth, j, type_name(e->tagid),
             candidate_text(data, first_start(*e), last_end(*e)).c_str());
      j++;
    }
    printf("\n");
    i++;
  }
}
