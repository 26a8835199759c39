// The detail report: every error of the alignment (and with -c every correct),
// segment by segment, with costs, error names, file lines and entity texts.
#include <climits>
#include <cstdio>
#include <map>

#include "description/vocabulary.h"
#include "driver/escape.h"
#include "driver/options.h"
#include "reports/outcome.h"
#include "reports/reports.h"

namespace {

enum : unsigned { start_flag = 1, end_flag = 2 };

// The entity's text with every candidate marked: "{" and "}" for the chosen
// start and end, "[" and "]" for the others, an end before a start at one
// position.
std::string marked_text(const entity& e, const char* data, const frontier_choice_map& fm) {
  // INT_MIN is never a text position: a missing candidate marks nothing.
  frontier_choice f = shown_choice(e, fm);
  int chosen_start = candidate_or(e.start, f.sf, INT_MIN);
  int chosen_end = candidate_or(e.end, f.ef, INT_MIN);

  std::map<int, unsigned> fr;
  for (int p : e.start) {
    fr[p] |= start_flag;
  }
  for (int p : e.end) {
    fr[p] |= end_flag;
  }

  std::string ff;
  bool first = true;
  int q = 0;
  for (const auto& [p, flags] : fr) {
    if (!first) {
      ff.append(data + q, p - q);
    }
    if (flags & end_flag) {
      ff += p == chosen_end ? '}' : ']';
    }
    if (flags & start_flag) {
      ff += p == chosen_start ? '{' : '[';
    }
    first = false;
    q = p;
  }
  if (ff.size() > INT_MAX / 5) {
    return std::string();
  }
  return escape_string(ff.data(), static_cast<int>(ff.size()));
}

// Prints the first line of an outcome block and the entity lines, then the
// empty line that ends the block.
void show_unpaired(const entity& e, const char* data, const frontier_choice_map& fm,
                   const char* rfname, const char* hfname) {
  char letter = e.hyp ? 'I' : 'D';
  const error_d& err = miss_record(e);
  printf("%c: %s (%g): %s:%d\n", letter, build_error_string(err).c_str(), err.cost,
         e.hyp ? hfname : rfname, e.line);
  show_entity(e, data, letter, fm);
  printf("\n");
}

void show_pairing(const segment::pairinfo& pair, const char* data, const frontier_choice_map& fm,
                  const char* rfname, const char* hfname) {
  const error_d& err = *pair.error;
  bool correct = is_correct(err);
  if (correct && !opt_details_correct) {
    return;
  }
  char letter = correct ? 'C' : 'S';
  std::string text = correct ? std::string("correct") : build_error_string(err);
  printf("%c: %s (%g): %s:%d %s:%d\n", letter, text.c_str(), err.cost, rfname, pair.er->line,
         hfname, pair.eh->line);
  show_entity(*pair.er, data, letter, fm);
  show_entity(*pair.eh, data, letter, fm);
  printf("\n");
}

}  // namespace

std::string build_error_string(const error_d& err) {
  std::string names;
  for (int id : err.error_types) {
    if (!names.empty()) {
      names += ' ';
    }
    names += error_names[id];
  }
  return names;
}

void show_entity(const entity& e, const char* data, char error, const frontier_choice_map& fm) {
  std::string text;
  if (e.start.size() == 1 && e.end.size() == 1) {
    text = span_text(data, e.start[0], e.end[0]);
  } else {
    text = marked_text(e, data, fm);
  }

  std::string ee = type_name(e.tagid);
  if (!e.attr.empty()) {
    ee += " (";
    bool first = true;
    for (const auto& [name, value] : e.attr) {
      if (!first) {
        ee += ' ';
      }
      ee += name + "=" + value;
      first = false;
    }
    ee += ')';
  }
  printf("%c: %s: %s - %s\n", error, e.hyp ? "hyp" : "ref", ee.c_str(), text.c_str());
}

void show_details(const std::vector<segment>& segments, const char* data,
                  const frontier_choice_map& fm, const char* rfname, const char* hfname) {
  for (const segment& seg : segments) {
    for (const entity* e : seg.unmapped_entities) {
      show_unpaired(*e, data, fm, rfname, hfname);
    }
    for (const segment::pairinfo& pair : seg.added_pairs) {
      show_pairing(pair, data, fm, rfname, hfname);
    }
  }
}
