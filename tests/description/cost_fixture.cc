#include "description/cost_fixture.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "model/vocabulary.h"

entity make_entity(int tagid, std::vector<int> start, std::vector<int> end, bool hyp, int depth,
                   const attr_list& attr) {
  entity e(tagid, 1, 0, depth, hyp, attr);
  e.start = std::move(start);
  e.end = std::move(end);
  return e;
}

segment make_segment(int start, int end, std::vector<entity*> entities) {
  segment s;
  s.start = start;
  s.end = end;
  s.entities = std::move(entities);
  return s;
}

std::string show(const error_d& e, const name_table& errors) {
  if (!e.asked) {
    return e.cost == -1.0 && e.error_types.empty() ? "-" : "?";
  }
  char buf[64];
  if (std::isnan(e.cost)) {
    snprintf(buf, sizeof buf, "nan");
  } else {
    snprintf(buf, sizeof buf, "%g", e.cost);
  }
  std::string s = buf;
  const char* sep = ":";
  for (int id : e.error_types) {
    s += sep + errors.name(id);
    sep = ",";
  }
  return s;
}

std::string show(const cost_table& t, const name_table& errors) {
  std::string s;
  for (size_t sf = 0; sf < t.size(); sf++) {
    s += sf ? "|" : "";
    for (size_t ef = 0; ef < t[sf].size(); ef++) {
      s += (ef ? " " : "") + show(t[sf][ef], errors);
    }
  }
  return s;
}
