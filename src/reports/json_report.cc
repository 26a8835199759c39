#include "reports/json_report.h"

#include <rapidjson/filewritestream.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reports/agreement.h"
#include "reports/confusion.h"
#include "reports/entity_text.h"
#include "reports/error_order.h"
#include "reports/json_text.h"
#include "reports/outcomes.h"
#include "reports/overlaps.h"
#include "reports/summary.h"
#include "reports/type_table.h"

namespace {

// JSON has no infinity and no NaN: a value without a finite one is null.
template <class W>
void put_number(W& w, const char* key, double v) {
  w.Key(key);
  if (std::isfinite(v)) {
    w.Double(v);
  } else {
    w.Null();
  }
}

// A ratio, null where it divides by zero.
template <class W>
void put_ratio(W& w, const char* key, double num, double den) {
  put_number(w, key, den == 0 ? NAN : num / den);
}

template <class W>
void put_count(W& w, const char* key, int value) {
  w.Key(key);
  w.Int(value);
}

template <class W>
void put_figure(W& w, const char* key, const std::optional<double>& value) {
  put_number(w, key, value ? *value : NAN);
}

// An average's figures, as an object.
template <class W>
void write_average(W& w, const char* key, const table_row& row) {
  w.Key(key);
  w.StartObject();
  put_figure(w, "precision", row.precision);
  put_figure(w, "recall", row.recall);
  put_figure(w, "f_measure", row.f_measure);
  w.EndObject();
}

// `table`: each row's support, and the macro and weighted averages after
// the rows (the type table's; its micro average is the summary's own).
template <class W>
void write_credit(W& w, const outcome_counts& c) {
  w.Key("credit");
  w.StartObject();
  put_number(w, "credits", c.credits);
  put_ratio(w, "precision", c.credits, c.hypothesis_entities);
  put_ratio(w, "recall", c.credits, c.reference_entities);
  put_ratio(w, "f_measure", 2 * c.credits,
            static_cast<double>(c.reference_entities) + c.hypothesis_entities);
  w.EndObject();
}

template <class W>
void write_summary(W& w, const outcome_counts& c, const name_table* types, bool table = false,
                   bool credit = false) {
  const double r = c.reference_entities;
  const double h = c.hypothesis_entities;
  w.StartObject();
  put_count(w, "reference_entities", c.reference_entities);
  put_count(w, "hypothesis_entities", c.hypothesis_entities);
  put_count(w, "corrects", c.corrects);
  put_count(w, "insertions", c.insertions);
  put_count(w, "deletions", c.deletions);
  put_count(w, "substitutions", c.substitutions);
  put_count(w, "total_errors", c.total_errors);
  put_number(w, "slot_error_sum", c.slot_error_sum);
  put_ratio(w, "slot_error_rate", c.slot_error_sum, r);
  put_ratio(w, "precision", c.corrects, h);
  put_ratio(w, "recall", c.corrects, r);
  put_ratio(w, "f_measure", 2.0 * c.corrects, r + h);
  if (!types) {
    w.EndObject();
    return;
  }
  // The rows of the text summary: the types seen on either side.
  w.Key("per_type");
  w.StartArray();
  for (int t = 0; t < types->size(); t++) {
    const size_t i = static_cast<size_t>(t);
    if (c.hyp_per_type[i] == 0 && c.ref_per_type[i] == 0) {
      continue;
    }
    w.StartObject();
    w.Key("type");
    put_json_string(w, types->name(t));
    put_count(w, "hypothesis_count", c.hyp_per_type[i]);
    put_count(w, "reference_count", c.ref_per_type[i]);
    const int k = c.correct_per_type[i];
    const int kh = c.correct_hyp_per_type[i];
    const double hc = c.hyp_per_type[i], rc = c.ref_per_type[i];
    put_count(w, "correct", k);
    // Only where a pairing of two types was correct: other rows stay as they were.
    if (kh != k) {
      put_count(w, "correct_of_hypothesis", kh);
    }
    put_ratio(w, "precision", kh, hc);
    put_ratio(w, "recall", k, rc);
    if (kh == k) {
      put_ratio(w, "f_measure", 2.0 * k, hc + rc);
    } else {
      put_number(w, "f_measure", harmonic_mean(hc ? kh / hc : 0, rc ? k / rc : 0));
    }
    if (table) {
      put_count(w, "support", c.ref_per_type[i]);
    }
    w.EndObject();
  }
  w.EndArray();
  if (table) {
    const type_table t = make_type_table(c, *types);
    write_average(w, "macro", t.macro);
    write_average(w, "weighted", t.weighted);
    put_count(w, "overlapping_misses", c.overlapping_misses);
    if (c.tokens > 0) {
      w.Key("token_accuracy");
      w.StartObject();
      w.Key("tokens");
      w.Uint64(c.tokens);
      w.Key("equal_tags");
      w.Uint64(c.equal_tags);
      put_ratio(w, "accuracy", static_cast<double>(c.equal_tags), static_cast<double>(c.tokens));
      w.EndObject();
    }
  }
  if (credit) {
    write_credit(w, c);
  }
  w.EndObject();
}

template <class W>
void write_agreement(W& w, const outcome_counts& c, const report_options& options) {
  const agreement_report a = measure_agreement(c, options.open, options.expected_count);
  w.StartObject();
  put_count(w, "expected_count", options.expected_count);
  put_count(w, "total_entities", a.total_items);
  put_count(w, "corrects", a.corrects);
  put_number(w, "void_void_corrects", a.void_void_corrects);
  put_count(w, "tag_types", a.type_count);
  put_number(w, "s", a.s);
  put_number(w, "pi", a.pi);
  put_number(w, "kappa", a.kappa);
  put_number(w, "f_measure", a.f_measure);
  w.EndObject();
}

const char* kind_name(outcome_kind kind) {
  switch (kind) {
    case outcome_kind::insertion:
      return "insertion";
    case outcome_kind::deletion:
      return "deletion";
    case outcome_kind::substitution:
      return "substitution";
    case outcome_kind::correct:
      return "correct";
  }
  return "?";
}

template <class W>
void put_position(W& w, int position) {
  if (position < 0) {
    w.Null();  // no such candidate
  } else {
    w.Int(position);
  }
}

template <class W>
void write_entity(W& w, const evaluated_pair& pair, const entity_set& set, const entity& e) {
  w.StartObject();
  w.Key("file");
  put_json_string(w, e.hyp ? pair.hypothesis_name : pair.reference_name);
  put_count(w, "line", e.line);
  w.Key("type");
  put_json_string(w, type_name(e.tagid, pair.vocab.types));
  w.Key("attributes");
  w.StartObject();
  for (uint32_t a = e.attrs; a < e.attrs + e.nattrs; a++) {
    put_json_string(w, set.attributes.name(a));
    put_json_string(w, set.attributes.value(a));
  }
  w.EndObject();
  // The text between the boundaries the alignment chose, or the outer ones.
  const auto [from, to] = shown_span(set, e, &pair.result.chosen);
  w.Key("text");
  put_json_string(w, to > from ? std::string_view(pair.text + from, static_cast<size_t>(to - from))
                               : std::string_view());
  // A standoff annotation or span: its id, its document's and its number
  // where it has them, its offsets as its file gives them (the fragments,
  // in characters), and its span in bytes of the reference's text (the
  // document's, for JSON lines).
  if (const annotation_source* source = pair.source_of(e)) {
    if (!source->id.empty()) {
      w.Key("id");
      put_json_string(w, source->id);
    }
    if (source->task) {
      put_count(w, "task", source->line);
    }
    if (!source->document.empty()) {
      w.Key("document");
      put_json_string(w, source->document);
    }
    if (source->span > 0) {
      put_count(w, source->task ? "result" : "span", source->span);
    }
    w.Key("characters");
    w.StartArray();
    for (const auto& [start, end] : source->characters) {
      w.StartArray();
      w.Int64(start);
      w.Int64(end);
      w.EndArray();
    }
    w.EndArray();
    w.Key("bytes");
    w.StartArray();
    w.Int(from - source->text_start);
    w.Int(to - source->text_start);
    w.EndArray();
  }
  if (e.nstarts > 1 || e.nends > 1) {
    w.Key("candidates");
    w.StartObject();
    w.Key("starts");
    w.StartArray();
    for (int32_t p : set.starts(e)) {
      w.Int(p);
    }
    w.EndArray();
    w.Key("ends");
    w.StartArray();
    for (int32_t p : set.ends(e)) {
      w.Int(p);
    }
    w.EndArray();
    w.EndObject();
    const frontier_choice f = shown_choice(set, e, &pair.result.chosen);
    w.Key("chosen");
    w.StartObject();
    w.Key("start");
    put_position(w, candidate_or(set.starts(e), f.sf, -1));
    w.Key("end");
    put_position(w, candidate_or(set.ends(e), f.ef, -1));
    w.EndObject();
  }
  w.EndObject();
}

// `names`: a buffer for the outcome's error ids, in the order `order` gives them.
template <class W>
void write_outcome(W& w, const evaluated_pair& pair, const outcome& o, const error_order& order,
                   std::vector<int32_t>& names, const overlap_index& overlaps) {
  w.StartObject();
  w.Key("kind");
  w.String(kind_name(o.kind));
  put_number(w, "cost", o.record->cost);
  w.Key("errors");
  w.StartArray();
  order.sort(pair.vocab.error_lists.list(o.record->errors), names);
  for (int32_t id : names) {
    put_json_string(w, pair.vocab.errors.name(id));
  }
  w.EndArray();
  if (o.ref) {
    w.Key("reference");
    write_entity(w, pair, pair.ref, *o.ref);
  }
  if (o.hyp) {
    w.Key("hypothesis");
    write_entity(w, pair, pair.hyp, *o.hyp);
  }
  // An unpaired entity names those of the other side it overlaps.
  const std::vector<int32_t> others = overlaps.of(o);
  if (!others.empty()) {
    const entity_set& set = o.ref ? pair.hyp : pair.ref;
    w.Key("overlaps");
    w.StartArray();
    for (int32_t i : others) {
      write_entity(w, pair, set, set[static_cast<size_t>(i)]);
    }
    w.EndArray();
  }
  w.EndObject();
}

template <class W>
void put_type(W& w, int32_t type, const name_table& types) {
  if (type == no_type) {
    w.Null();
  } else {
    put_json_string(w, types.name(type));
  }
}

template <class W>
void write_confusion(W& w, const confusion_report& confusion, const name_table& types) {
  w.StartObject();
  w.Key("types");
  w.StartArray();
  for (const std::string& name : types.names()) {
    put_json_string(w, name);
  }
  w.EndArray();
  w.Key("cells");
  w.StartArray();
  for (const confusion_cell& cell : confusion.cells) {
    w.StartObject();
    w.Key("reference_type");
    put_type(w, cell.ref_type, types);
    w.Key("hypothesis_type");
    put_type(w, cell.hyp_type, types);
    put_count(w, "count", cell.count);
    // Where a cell pairs two entities: how many of its pairings were correct.
    if (cell.ref_type != no_type && cell.hyp_type != no_type) {
      put_count(w, "correct", cell.correct);
    }
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}

template <class W>
void write_outcomes(W& w, const evaluated_pair& pair, bool with_corrects) {
  const error_order order(pair.vocab.errors);
  const overlap_index overlaps(pair);
  std::vector<int32_t> names;
  for_each_outcome(pair, [&](const outcome& o) {
    if (o.kind != outcome_kind::correct || with_corrects) {
      write_outcome(w, pair, o, order, names, overlaps);
    }
  });
}

using file_writer = rapidjson::Writer<rapidjson::FileWriteStream>;

}  // namespace

struct json_report_writer::impl {
  char buffer[65536];
  rapidjson::FileWriteStream stream;
  file_writer w;
  explicit impl(FILE* out) : stream(out, buffer, sizeof buffer), w(stream) {}
};

json_report_writer::json_report_writer(FILE* out) : impl_(std::make_unique<impl>(out)) {
  impl_->w.StartObject();
}

json_report_writer::~json_report_writer() = default;

void json_report_writer::documents(const char* reference, const char* hypothesis,
                                   const char* description) {
  file_writer& w = impl_->w;
  w.Key("documents");
  w.StartObject();
  w.Key("reference");
  put_json_string(w, reference);
  w.Key("hypothesis");
  put_json_string(w, hypothesis);
  w.Key("description");
  put_json_string(w, description);
  w.EndObject();
}

void json_report_writer::summary(const outcome_counts& counts, const name_table& types,
                                 const report_options& options) {
  impl_->w.Key("summary");
  write_summary(impl_->w, counts, &types, options.table, options.credit);
}

void json_report_writer::agreement(const outcome_counts& counts, const report_options& options) {
  impl_->w.Key("agreement");
  write_agreement(impl_->w, counts, options);
}

void json_report_writer::begin_outcomes() {
  impl_->w.Key("outcomes");
  impl_->w.StartArray();
}

void json_report_writer::outcomes(const evaluated_pair& pair, bool with_corrects) {
  write_outcomes(impl_->w, pair, with_corrects);
}

void json_report_writer::outcomes(const std::string& gathered) {
  raw_values(gathered);
}

void json_report_writer::raw_values(const std::string& gathered) {
  if (!gathered.empty()) {
    impl_->w.RawValue(gathered.data(), gathered.size(), rapidjson::kObjectType);
  }
}

void json_report_writer::end_outcomes() {
  impl_->w.EndArray();
}

void json_report_writer::confusion(const confusion_report& confusion, const name_table& types) {
  impl_->w.Key("confusion");
  write_confusion(impl_->w, confusion, types);
}

void json_report_writer::key(const char* name) {
  impl_->w.Key(name);
}

void json_report_writer::begin_object() {
  impl_->w.StartObject();
}

void json_report_writer::end_object() {
  impl_->w.EndObject();
}

void json_report_writer::begin_array() {
  impl_->w.StartArray();
}

void json_report_writer::end_array() {
  impl_->w.EndArray();
}

void json_report_writer::string(const char* key, std::string_view value) {
  impl_->w.Key(key);
  put_json_string(impl_->w, value);
}

void json_report_writer::text(std::string_view value) {
  put_json_string(impl_->w, value);
}

void json_report_writer::number(const char* key, double value) {
  put_number(impl_->w, key, value);
}

void json_report_writer::count(const char* key, uint64_t value) {
  impl_->w.Key(key);
  impl_->w.Uint64(value);
}

void json_report_writer::counts(const outcome_counts& counts) {
  write_summary(impl_->w, counts, nullptr);
}

void json_report_writer::finish() {
  impl_->w.EndObject();
  impl_->stream.Put('\n');
  impl_->stream.Flush();
}

std::string json_outcomes(const evaluated_pair& pair, bool with_corrects) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
  // One array, whose brackets are then left out: a writer takes one value.
  w.StartArray();
  write_outcomes(w, pair, with_corrects);
  w.EndArray();
  return std::string(buffer.GetString() + 1, buffer.GetSize() - 2);
}
