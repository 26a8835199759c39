#include "reports/entity_text.h"

#include <climits>
#include <map>

#include "base/escape.h"

namespace {

enum : unsigned { start_flag = 1, end_flag = 2 };

}  // namespace

std::string span_text(const char* data, int from, int to) {
  if (to <= from) {
    return std::string();
  }
  // escape_string sizes its buffer for the worst case, 5 bytes per source byte.
  return escape_string(data + from, to - from);
}

const char* type_name(int tagid, const name_table& types) {
  return types.has(tagid) ? types.name(tagid).c_str() : "?";
}

frontier_choice shown_choice(const entity& e, const frontier_choice_map& fm) {
  auto chosen = fm.find(&e);
  if (chosen != fm.end()) {
    return chosen->second;
  }
  return frontier_choice(0, static_cast<int>(e.end.size()) - 1);
}

int candidate_or(const std::vector<int>& positions, int index, int none) {
  if (index < 0 || static_cast<size_t>(index) >= positions.size()) {
    return none;
  }
  return positions[static_cast<size_t>(index)];
}

std::string shown_text(const entity& e, const char* data, const frontier_choice_map& fm) {
  if (e.start.size() == 1 && e.end.size() == 1) {
    return span_text(data, e.start[0], e.end[0]);
  }
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

  // At one position an end marker comes before a start marker.
  std::string ff;
  bool first = true;
  int q = 0;
  for (const auto& [p, flags] : fr) {
    if (!first) {
      ff.append(data + q, static_cast<size_t>(p - q));
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

std::string type_label(const entity& e, const name_table& types) {
  std::string ee = types.name(e.tagid);
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
  return ee;
}

std::string error_names_text(const error_d& err, const name_table& errors) {
  std::string names;
  for (int id : err.error_types) {
    if (!names.empty()) {
      names += ' ';
    }
    names += errors.name(id);
  }
  return names;
}
