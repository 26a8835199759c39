#include "reports/dumps.h"

#include <string>

#include "reports/entity_text.h"

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

void show_entity(FILE* out, const entity& e, const char* data, const frontier_choice_map& fm,
                 const name_table& types) {
  frontier_choice f = shown_choice(e, fm);
  std::string text =
      candidate_text(data, candidate_or_none(e.start, f.sf), candidate_or_none(e.end, f.ef));
  fprintf(out, "%c:%d:%s:%s", side_letter(e), e.depth, type_name(e.tagid, types), text.c_str());
}

void show_entities(FILE* out, const std::vector<entity>& entities, const char* data,
                   const name_table& types) {
  int i = 0;
  for (const entity& e : entities) {
    int from = first_start(e);
    int to = last_end(e);
    fprintf(out, "%4d: %5d %5d %d %c %s %s\n", i, from, to, e.depth, side_letter(e),
            type_name(e.tagid, types), candidate_text(data, from, to).c_str());
    i++;
  }
}

void show_segments(FILE* out, const std::vector<segment>& segments, const char* data,
                   const name_table& types) {
  int i = 0;
  for (const segment& seg : segments) {
    fprintf(out, "%4d: %5d %5d", i, seg.start, seg.end);
    int j = 0;
    for (const entity* e : seg.entities) {
      fputs(j == 0 ? " " : " | ", out);
      fprintf(out, "%c:%d:%d %s %s", side_letter(*e), e->depth, j, type_name(e->tagid, types),
              candidate_text(data, first_start(*e), last_end(*e)).c_str());
      j++;
    }
    fputc('\n', out);
    i++;
  }
}
