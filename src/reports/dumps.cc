#include "reports/dumps.h"

#include <string>

#include "reports/entity_text.h"

namespace {

char side_letter(const entity& e) {
  return e.hyp ? 'H' : 'R';
}

// The candidate at `index`, or -1 when the entity has none there.
int candidate_or_none(view<const int32_t> positions, int index) {
  return candidate_or(positions, index, -1);
}

int first_start(const entity_set& set, const entity& e) {
  return candidate_or_none(set.starts(e), 0);
}
int last_end(const entity_set& set, const entity& e) {
  return candidate_or_none(set.ends(e), static_cast<int>(e.nends) - 1);
}

// The text between two candidates, empty when either is missing.
std::string candidate_text(const char* data, int from, int to) {
  if (from < 0 || to < 0) {
    return std::string();
  }
  return span_text(data, from, to);
}

}  // namespace

void show_entity(FILE* out, const entity_set& set, const entity& e, const char* data,
                 const std::vector<frontier_choice>* chosen, const name_table& types) {
  frontier_choice f = shown_choice(set, e, chosen);
  std::string text = candidate_text(data, candidate_or_none(set.starts(e), f.sf),
                                    candidate_or_none(set.ends(e), f.ef));
  fprintf(out, "%c:%d:%s:%s", side_letter(e), e.depth, type_name(e.tagid, types), text.c_str());
}

void show_entities(FILE* out, const entity_set& set, const char* data, const name_table& types) {
  int i = 0;
  for (const entity& e : set.items) {
    int from = first_start(set, e);
    int to = last_end(set, e);
    fprintf(out, "%4d: %5d %5d %d %c %s %s\n", i, from, to, e.depth, side_letter(e),
            type_name(e.tagid, types), candidate_text(data, from, to).c_str());
    i++;
  }
}

void show_segments(FILE* out, const segment_set& segments, const entity_set& ref,
                   const entity_set& hyp, const char* data, const name_table& types) {
  for (size_t i = 0; i < segments.size(); i++) {
    const segment seg = segments[i];
    fprintf(out, "%4d: %5d %5d", static_cast<int>(i), seg.start, seg.end);
    int j = 0;
    auto show = [&](const entity_set& set, const entity& e) {
      fputs(j == 0 ? " " : " | ", out);
      fprintf(out, "%c:%d:%d %s %s", side_letter(e), e.depth, j, type_name(e.tagid, types),
              candidate_text(data, first_start(set, e), last_end(set, e)).c_str());
      j++;
    };
    const int32_t s = static_cast<int32_t>(i);
    for (size_t r = 0; r < ref.size(); r++) {
      if (segments.ref_first[r] <= s && s <= segments.ref_last[r] && segments.ref_first[r] >= 0) {
        show(ref, ref[r]);
      }
    }
    for (size_t h = 0; h < hyp.size(); h++) {
      if (segments.hyp_first[h] <= s && s <= segments.hyp_last[h] && segments.hyp_first[h] >= 0) {
        show(hyp, hyp[h]);
      }
    }
    fputc('\n', out);
  }
}
