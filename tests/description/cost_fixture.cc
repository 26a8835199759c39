#include "description/cost_fixture.h"

#include <cmath>
#include <cstdio>

#include "support/entity_scene.h"

int32_t add_entity(entity_set& set, int tagid, const std::vector<int32_t>& start,
                   const std::vector<int32_t>& end, bool hyp, int depth, const attr_list& attr) {
  return append_entity(set, tagid, start, end, hyp, depth, 1, attr);
}

std::string show(const cost_record& record, const vocabularies& vocab) {
  if (!record.asked()) {
    return record.cost == -1.0 ? "-" : "?";
  }
  char buf[64];
  if (std::isnan(record.cost)) {
    snprintf(buf, sizeof buf, "nan");
  } else {
    snprintf(buf, sizeof buf, "%g", record.cost);
  }
  std::string s = buf;
  const char* sep = ":";
  for (int32_t id : vocab.error_lists.list(record.errors)) {
    s += sep + vocab.errors.name(id);
    sep = ",";
  }
  return s;
}

namespace {

// Rows of `nends` records from `first`.
std::string show_rows(const cost_record* first, uint32_t nstarts, uint32_t nends,
                      const vocabularies& vocab) {
  std::string s;
  for (uint32_t sf = 0; sf < nstarts; sf++) {
    s += sf ? "|" : "";
    for (uint32_t ef = 0; ef < nends; ef++) {
      s += (ef ? " " : "") + show(first[sf * nends + ef], vocab);
    }
  }
  return s;
}

}  // namespace

std::string show_miss(const entity_set& set, int32_t e, const vocabularies& vocab) {
  const entity& x = set[static_cast<size_t>(e)];
  return show_rows(set.miss.data() + x.miss, x.nstarts, x.nends, vocab);
}

std::string show_subst(const substitution_costs& costs, const entity_set& ref, int32_t r, int32_t h,
                       const vocabularies& vocab) {
  const substitution_costs::partner* p = costs.find(r, h);
  if (!p) {
    return "none";
  }
  const entity& x = ref[static_cast<size_t>(r)];
  return show_rows(costs.records.data() + p->records, x.nstarts, x.nends, vocab);
}

std::string varied_text(size_t size) {
  std::string text;
  uint32_t seed = 12345;
  while (text.size() < size) {
    seed = seed * 1103515245 + 12345;
    const uint32_t r = seed >> 16;
    text += r % 61 == 0 ? "\t" : r % 53 == 0 ? "  " : std::string(1, char('a' + r % 26));
  }
  text.resize(size);
  return text;
}
