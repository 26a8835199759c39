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

frontier_choice shown_choice(const entity_set& set, const entity& e,
                             const std::vector<frontier_choice>* chosen) {
  if (chosen && !e.hyp) {
    const size_t i = static_cast<size_t>(&e - set.items.data());
    if (i < chosen->size() && (*chosen)[i].sf >= 0) {
      return (*chosen)[i];
    }
  }
  return frontier_choice(0, static_cast<int>(e.nends) - 1);
}

int candidate_or(view<const int32_t> positions, int index, int none) {
  if (index < 0 || static_cast<size_t>(index) >= positions.size()) {
    return none;
  }
  return positions[static_cast<size_t>(index)];
}

std::string shown_text(const entity_set& set, const entity& e, const char* data,
                       const std::vector<frontier_choice>* chosen) {
  if (e.nstarts == 1 && e.nends == 1) {
    return span_text(data, set.first_start(e), set.last_end(e));
  }
  // INT_MIN is never a text position: a missing candidate marks nothing.
  frontier_choice f = shown_choice(set, e, chosen);
  int chosen_start = candidate_or(set.starts(e), f.sf, INT_MIN);
  int chosen_end = candidate_or(set.ends(e), f.ef, INT_MIN);

  std::map<int, unsigned> fr;
  for (int p : set.starts(e)) {
    fr[p] |= start_flag;
  }
  for (int p : set.ends(e)) {
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

std::string type_label(const entity_set& set, const entity& e, const name_table& types) {
  std::string ee = shown_name(types.name(e.tagid));
  if (e.nattrs) {
    ee += " (";
    for (uint32_t a = e.attrs; a < e.attrs + e.nattrs; a++) {
      if (a != e.attrs) {
        ee += ' ';
      }
      append_escaped_controls(ee, set.attributes.name(a));
      ee += '=';
      append_escaped_controls(ee, set.attributes.value(a));
    }
    ee += ')';
  }
  return ee;
}

std::string error_names_text(const cost_record& record, const vocabularies& vocab) {
  std::string names;
  for (int32_t id : vocab.error_lists.list(record.errors)) {
    if (!names.empty()) {
      names += ' ';
    }
    append_escaped_controls(names, vocab.errors.name(id));
  }
  return names;
}

std::pair<int, int> shown_span(const entity_set& set, const entity& e,
                               const std::vector<frontier_choice>* chosen) {
  const frontier_choice f = shown_choice(set, e, chosen);
  const int start = candidate_or(set.starts(e), f.sf, -1);
  const int end = candidate_or(set.ends(e), f.ef, -1);
  return {start < 0 ? set.first_start(e) : start, end < 0 ? set.last_end(e) : end};
}
