// One document's part of the visual page: the data its view draws from,
// and the counts beside its filters.
#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "reports/entity_text.h"
#include "reports/error_order.h"
#include "reports/html_page.h"
#include "reports/html_report.h"
#include "reports/json_text.h"
#include "reports/overlaps.h"

namespace {

int kind_index(outcome_kind kind) {
  switch (kind) {
    case outcome_kind::insertion:
      return 0;
    case outcome_kind::deletion:
      return 1;
    case outcome_kind::substitution:
      return 2;
    case outcome_kind::correct:
      return 3;
  }
  return 0;
}

// Byte offsets of the reference text as offsets in the page's text, which
// the script indexes in UTF-16 units; a byte that is not UTF-8 is one unit
// (its U+FFFD).
class text_offsets {
 public:
  text_offsets(const char* text, std::vector<int32_t> positions)
      : positions_(std::move(positions)) {
    std::sort(positions_.begin(), positions_.end());
    positions_.erase(std::unique(positions_.begin(), positions_.end()), positions_.end());
    units_.resize(positions_.size());
    const std::string_view t(text);
    size_t k = 0;
    uint32_t units = 0;
    for (size_t i = 0;;) {
      for (; k < positions_.size() && static_cast<size_t>(std::max(positions_[k], 0)) <= i; k++) {
        units_[k] = units;
      }
      if (i >= t.size() || k == positions_.size()) {
        break;
      }
      const size_t n = utf8_sequence(t.substr(i));
      units += n == 4 ? 2 : 1;
      i += n == 0 ? 1 : n;
    }
    for (; k < positions_.size(); k++) {
      units_[k] = units;
    }
  }
  uint32_t operator()(int32_t position) const {
    const auto it = std::lower_bound(positions_.begin(), positions_.end(), position);
    return units_[static_cast<size_t>(it - positions_.begin())];
  }

 private:
  std::vector<int32_t> positions_;
  std::vector<uint32_t> units_;
};

// The data the script draws from: the text, the names, the entities and
// the outcomes, as compact arrays. Types and error names are those of
// `names` (the ones the outcomes use), by their ids there: a description
// may name many more, which a page of many documents would repeat in each.
void write_data(std::string& json, const page_model& m, const evaluated_pair& pair,
                const filter_counts& names) {
  std::vector<int32_t> type_id(static_cast<size_t>(pair.vocab.types.size()), -1);
  for (int t = 0; t < names.types.size(); t++) {
    type_id[static_cast<size_t>(pair.vocab.types.find(names.types.name(t)))] = t;
  }
  std::vector<int32_t> error_id(static_cast<size_t>(pair.vocab.errors.size()), -1);
  for (int e = 0; e < names.errors.size(); e++) {
    error_id[static_cast<size_t>(pair.vocab.errors.find(names.errors.name(e)))] = e;
  }
  std::vector<int32_t> positions;
  positions.reserve(m.entities.size() * 2 + 1);
  for (const page_entity& p : m.entities) {
    positions.push_back(p.start);
    positions.push_back(p.end);
    if (p.e->nstarts > 1 || p.e->nends > 1) {
      const entity_set& set = p.e->hyp ? pair.hyp : pair.ref;
      for (int32_t x : set.starts(*p.e)) {
        positions.push_back(x);
      }
      for (int32_t x : set.ends(*p.e)) {
        positions.push_back(x);
      }
    }
  }
  const text_offsets at(pair.text, std::move(positions));

  {
    script_json_stream stream(json);
    script_writer w(stream);
    w.StartObject();
    w.Key("text");
    put_json_string(w, pair.text);
    w.Key("files");
    w.StartArray();
    put_json_string(w, pair.reference_name);
    put_json_string(w, pair.hypothesis_name);
    w.EndArray();
    for (const auto& [key, table] :
         {std::pair<const char*, const name_table*>{"types", &names.types},
          {"errors", &names.errors}}) {
      w.Key(key);
      w.StartArray();
      for (const std::string& name : table->names()) {
        put_json_string(w, name);
      }
      w.EndArray();
    }
    // [start, end, side (0 reference, 1 hypothesis), depth, type, outcome,
    // line (or what follows the file's name, ":3 (T2)"), {attributes}?,
    // [[starts], [ends]]?]
    w.Key("entities");
    w.StartArray();
    for (const page_entity& p : m.entities) {
      const entity& e = *p.e;
      const entity_set& set = e.hyp ? pair.hyp : pair.ref;
      w.StartArray();
      w.Uint(at(p.start));
      w.Uint(std::max(at(p.end), at(p.start)));
      w.Int(e.hyp ? 1 : 0);
      w.Int(e.depth);
      w.Int(pair.vocab.types.has(e.tagid) ? type_id[static_cast<size_t>(e.tagid)] : -1);
      w.Uint(p.outcome);
      // A standoff document's entity: its place after the file, as text.
      if (pair.source_of(e)) {
        put_json_string(w, pair.place_after_file(e));
      } else {
        w.Int(e.line);
      }
      const bool alternatives = e.nstarts > 1 || e.nends > 1;
      if (e.nattrs || alternatives) {
        w.StartObject();
        for (uint32_t a = e.attrs; a < e.attrs + e.nattrs; a++) {
          put_json_string(w, set.attributes.name(a));
          put_json_string(w, set.attributes.value(a));
        }
        w.EndObject();
      }
      if (alternatives) {
        w.StartArray();
        w.StartArray();
        for (int32_t x : set.starts(e)) {
          w.Uint(at(x));
        }
        w.EndArray();
        w.StartArray();
        for (int32_t x : set.ends(e)) {
          w.Uint(at(x));
        }
        w.EndArray();
        w.EndArray();
      }
      w.EndArray();
    }
    w.EndArray();
    // Each entity's place in the page's list, by side and index in its set:
    // an unpaired entity names the entities of the other side it overlaps.
    std::vector<int32_t> placed[2] = {std::vector<int32_t>(pair.ref.size(), -1),
                                      std::vector<int32_t>(pair.hyp.size(), -1)};
    for (size_t i = 0; i < m.entities.size(); i++) {
      const entity* e = m.entities[i].e;
      const entity_set& set = e->hyp ? pair.hyp : pair.ref;
      placed[e->hyp ? 1 : 0][static_cast<size_t>(e - &set[0])] = static_cast<int32_t>(i);
    }
    const overlap_index overlaps(pair);
    // [kind, cost (null when infinite), [error ids], reference entity, hypothesis entity,
    // [the other side's entities an unpaired one overlaps]?]
    w.Key("outcomes");
    w.StartArray();
    std::vector<int32_t> names_of;
    for (const page_outcome& p : m.outcomes) {
      w.StartArray();
      w.Int(kind_index(p.o.kind));
      if (std::isfinite(p.o.record->cost)) {
        w.Double(p.o.record->cost);
      } else {
        w.Null();
      }
      // The document's error names are in order: so are an outcome's by their ids.
      names_of.clear();
      for (int32_t id : pair.vocab.error_lists.list(p.o.record->errors)) {
        names_of.push_back(error_id[static_cast<size_t>(id)]);
      }
      std::sort(names_of.begin(), names_of.end());
      w.StartArray();
      for (int32_t e : names_of) {
        w.Int(e);
      }
      w.EndArray();
      w.Int(p.ref);
      w.Int(p.hyp);
      if (p.o.kind == outcome_kind::deletion || p.o.kind == outcome_kind::insertion) {
        const std::vector<int32_t> others = overlaps.of(p.o);
        if (!others.empty()) {
          const std::vector<int32_t>& other_side = placed[p.o.ref ? 1 : 0];
          w.StartArray();
          for (int32_t x : others) {
            w.Int(other_side[static_cast<size_t>(x)]);
          }
          w.EndArray();
        }
      }
      w.EndArray();
    }
    w.EndArray();
    w.EndObject();
  }
}

}  // namespace

void filter_counts::add(const filter_counts& other) {
  for (int k = 0; k < 4; k++) {
    kinds[k] += other.kinds[k];
  }
  for (int e = 0; e < other.errors.size(); e++) {
    const size_t id = static_cast<size_t>(errors.get(other.errors.name(e)));
    per_error.resize(std::max(per_error.size(), id + 1));
    per_error[id] += other.per_error[static_cast<size_t>(e)];
  }
  for (int t = 0; t < other.types.size(); t++) {
    const size_t id = static_cast<size_t>(types.get(other.types.name(t)));
    per_type.resize(std::max(per_type.size(), id + 1));
    per_type[id] += other.per_type[static_cast<size_t>(t)];
  }
}

html_document html_document_of(const evaluated_pair& pair) {
  html_document d;
  const page_model m = build_page_model(pair);
  // The filters' counts: an outcome counts once for each type it involves.
  std::vector<int> per_error(static_cast<size_t>(pair.vocab.errors.size()));
  std::vector<int> per_type(static_cast<size_t>(pair.vocab.types.size()));
  for (const page_outcome& p : m.outcomes) {
    d.filters.kinds[kind_index(p.o.kind)]++;
    for (int32_t id : pair.vocab.error_lists.list(p.o.record->errors)) {
      per_error[static_cast<size_t>(id)]++;
    }
    const int32_t rt = p.o.ref ? p.o.ref->tagid : -1, ht = p.o.hyp ? p.o.hyp->tagid : -1;
    if (pair.vocab.types.has(rt)) {
      per_type[static_cast<size_t>(rt)]++;
    }
    if (pair.vocab.types.has(ht) && ht != rt) {
      per_type[static_cast<size_t>(ht)]++;
    }
  }
  const error_order order(pair.vocab.errors);
  for (int32_t e : order.ids()) {
    if (per_error[static_cast<size_t>(e)]) {
      d.filters.errors.get(pair.vocab.errors.name(e));
      d.filters.per_error.push_back(per_error[static_cast<size_t>(e)]);
    }
  }
  for (size_t t = 0; t < per_type.size(); t++) {
    if (per_type[t]) {
      d.filters.types.get(pair.vocab.types.name(static_cast<int>(t)));
      d.filters.per_type.push_back(per_type[t]);
    }
  }
  write_data(d.data, m, pair, d.filters);
  return d;
}
