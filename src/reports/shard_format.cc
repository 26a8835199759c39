#include "reports/shard_format.h"

#include <rapidjson/document.h>
#include <rapidjson/encodedstream.h>
#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/file_load.h"
#include "reports/json_report.h"
#include "reports/json_text.h"

namespace {

using string_writer = rapidjson::Writer<rapidjson::StringBuffer>;

// A sum of costs is exact in JSON (the writer's shortest form reads back as
// the same double) except where it is infinite, which JSON cannot hold.
void put_sum(string_writer& w, double v) {
  if (std::isfinite(v)) {
    w.Double(v);
  } else {
    w.String(std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf");
  }
}

}  // namespace

std::string shard_pair_json(const std::string& reference, const std::string& hypothesis,
                            const pair_counts& figures, size_t place) {
  const outcome_counts& c = figures.counts;
  rapidjson::StringBuffer buffer;
  string_writer w(buffer);
  w.StartObject();
  w.Key("reference");
  put_json_string(w, reference);
  w.Key("hypothesis");
  put_json_string(w, hypothesis);
  if (place != no_place) {
    w.Key("place");
    w.Uint64(place);
  }
  w.Key("types");
  w.StartArray();
  for (const std::string& t : figures.types) {
    put_json_string(w, t);
  }
  w.EndArray();
  // In the order of outcome_counts, which the schema names.
  w.Key("counts");
  w.StartArray();
  for (int v : {c.reference_entities, c.hypothesis_entities, c.corrects, c.insertions, c.deletions,
                c.substitutions, c.total_errors}) {
    w.Int(v);
  }
  put_sum(w, c.slot_error_sum);
  put_sum(w, c.credits);
  w.Uint64(c.tokens);
  w.Uint64(c.equal_tags);
  w.Int(c.overlapping_misses);
  w.EndArray();
  w.Key("per_type");
  w.StartArray();
  for (size_t t = 0; t < figures.types.size(); t++) {
    w.StartArray();
    for (const std::vector<int>* v :
         {&c.ref_per_type, &c.hyp_per_type, &c.correct_per_type, &c.correct_hyp_per_type}) {
      w.Int(t < v->size() ? (*v)[t] : 0);
    }
    w.EndArray();
  }
  w.EndArray();
  w.Key("confusion");
  w.StartArray();
  for (const confusion_cell& cell : figures.confusion.cells) {
    w.StartArray();
    w.Int(cell.ref_type);
    w.Int(cell.hyp_type);
    w.Int(cell.count);
    w.Int(cell.correct);
    w.EndArray();
  }
  w.EndArray();
  w.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

void write_merge_member(json_report_writer& json, const shard_identity& identity,
                        const std::string& pairs, const shard_part& part) {
  json.key("merge");
  json.begin_object();
  json.count("version", shard_format_version);
  json.string("program", identity.program);
  json.key("description");
  json.begin_object();
  json.string("name", identity.description);
  json.string("digest", identity.digest);
  json.end_object();
  json.key("options");
  json.begin_object();
  for (const auto& [name, value] : identity.options) {
    json.string(name.c_str(), value);
  }
  json.end_object();
  json.key("declared_types");
  json.begin_array();
  for (const std::string& t : identity.declared_types) {
    json.text(t);
  }
  json.end_array();
  if (part.parts > 0) {
    json.key("part");
    json.begin_object();
    json.count("part", part.part);
    json.count("parts", part.parts);
    json.count("corpus_pairs", part.corpus_pairs);
    json.end_object();
  }
  json.key("pairs");
  json.begin_array();
  json.raw_values(pairs);
  json.end_array();
  json.end_object();
}

void shard_pairs::add(uint32_t shard, std::string_view reference, std::string_view hypothesis,
                      const pair_counts& f, size_t place) {
  record r;
  r.place = place;
  r.names = names_.size();
  r.reference_size = static_cast<uint32_t>(reference.size());
  r.hypothesis_size = static_cast<uint32_t>(hypothesis.size());
  names_.append(reference);
  names_.append(hypothesis);
  r.shard = shard;
  auto listed = type_list_ids_.find(f.types);
  if (listed == type_list_ids_.end()) {
    listed = type_list_ids_.emplace(f.types, static_cast<uint32_t>(type_lists_.size())).first;
    type_lists_.push_back(f.types);
  }
  r.type_list = listed->second;
  const outcome_counts& c = f.counts;
  r.per_type = per_type_.size();
  for (size_t t = 0; t < f.types.size(); t++) {
    for (const std::vector<int>* v :
         {&c.ref_per_type, &c.hyp_per_type, &c.correct_per_type, &c.correct_hyp_per_type}) {
      per_type_.push_back(t < v->size() ? (*v)[t] : 0);
    }
  }
  r.cells = cells_.size();
  r.cell_count = 0;
  if (with_cells_) {
    r.cell_count = static_cast<uint32_t>(f.confusion.cells.size());
    for (const confusion_cell& cell : f.confusion.cells) {
      cells_.insert(cells_.end(), {cell.ref_type, cell.hyp_type, cell.count, cell.correct});
    }
  }
  const int counts[8] = {c.reference_entities, c.hypothesis_entities, c.corrects,
                         c.insertions,         c.deletions,           c.substitutions,
                         c.total_errors,       c.overlapping_misses};
  std::copy(std::begin(counts), std::end(counts), r.counts);
  r.sums[0] = c.slot_error_sum;
  r.sums[1] = c.credits;
  r.tokens = c.tokens;
  r.equal_tags = c.equal_tags;
  records_.push_back(r);
}

std::string_view shard_pairs::reference(size_t i) const {
  const record& r = records_[i];
  return std::string_view(names_).substr(r.names, r.reference_size);
}

std::string_view shard_pairs::hypothesis(size_t i) const {
  const record& r = records_[i];
  return std::string_view(names_).substr(r.names + r.reference_size, r.hypothesis_size);
}

int64_t shard_pairs::entities(size_t i) const {
  return int64_t(records_[i].counts[0]) + records_[i].counts[1];
}

pair_counts shard_pairs::figures(size_t i) const {
  const record& r = records_[i];
  pair_counts f;
  f.types = type_lists_[r.type_list];
  outcome_counts& c = f.counts;
  c.reference_entities = r.counts[0];
  c.hypothesis_entities = r.counts[1];
  c.corrects = r.counts[2];
  c.insertions = r.counts[3];
  c.deletions = r.counts[4];
  c.substitutions = r.counts[5];
  c.total_errors = r.counts[6];
  c.overlapping_misses = r.counts[7];
  c.slot_error_sum = r.sums[0];
  c.credits = r.sums[1];
  c.tokens = r.tokens;
  c.equal_tags = r.equal_tags;
  const size_t n = f.types.size();
  for (std::vector<int>* v :
       {&c.ref_per_type, &c.hyp_per_type, &c.correct_per_type, &c.correct_hyp_per_type}) {
    v->resize(n);
  }
  for (size_t t = 0; t < n; t++) {
    const int* counts = &per_type_[r.per_type + 4 * t];
    c.ref_per_type[t] = counts[0];
    c.hyp_per_type[t] = counts[1];
    c.correct_per_type[t] = counts[2];
    c.correct_hyp_per_type[t] = counts[3];
  }
  for (uint32_t k = 0; k < r.cell_count; k++) {
    const int32_t* cell = &cells_[r.cells + 4 * k];
    f.confusion.cells.push_back(confusion_cell{cell[0], cell[1], cell[2], cell[3]});
  }
  return f;
}

std::string digest_of(const char* bytes, size_t size) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < size; i++) {
    h ^= static_cast<unsigned char>(bytes[i]);
    h *= 0x100000001b3ull;
  }
  char text[17];
  snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

namespace {

using json_value = rapidjson::Value;

// Numbers are read as their text (and a string's text is taken for a
// number's): the library's own reading of doubles is not exact, and its
// exact one misbehaves on some inputs.
std::string_view json_number_text(const json_value& v) {
  return v.IsString() ? std::string_view(v.GetString(), v.GetStringLength()) : std::string_view();
}

// A whole number as JSON writes one: digits without a leading zero (a sign
// is signed_number's).
bool unsigned_number(std::string_view t, uint64_t& out) {
  if (t.empty() || t.size() > 20 || (t[0] == '0' && t.size() > 1)) {
    return false;
  }
  uint64_t n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') {
      return false;
    }
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (n > (UINT64_MAX - digit) / 10) {
      return false;
    }
    n = n * 10 + digit;
  }
  out = n;
  return true;
}

bool unsigned_number(const json_value& v, uint64_t& out) {
  return unsigned_number(json_number_text(v), out);
}

bool signed_number(const json_value& v, int64_t& out) {
  std::string_view t = json_number_text(v);
  const bool negative = !t.empty() && t[0] == '-';
  uint64_t n = 0;
  if (!unsigned_number(negative ? t.substr(1) : t, n) || n > uint64_t(INT64_MAX)) {
    return false;
  }
  out = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
  return true;
}

// Reads one shard's members, naming the file and the member in each fault.
class shard_reader {
 public:
  explicit shard_reader(const std::string& file) : shown_(shown_name(file)) {}

  [[noreturn]] void malformed(const std::string& where, const char* what) const {
    fatal(1, "Error: %s: the merge member's %s %s.\n", shown_.c_str(), shown_name(where).c_str(),
          what);
  }

  const json_value& member(const json_value& object, const char* name,
                           const std::string& where) const {
    const json_value::ConstMemberIterator m = object.FindMember(name);
    if (m == object.MemberEnd()) {
      malformed(where + name, "is missing");
    }
    return m->value;
  }

  const json_value& array(const json_value& object, const char* name,
                          const std::string& where) const {
    const json_value& v = member(object, name, where);
    if (!v.IsArray()) {
      malformed(where + name, "is not an array");
    }
    return v;
  }

  std::string text(const json_value& v, const std::string& where) const {
    if (!v.IsString()) {
      malformed(where, "is not a string");
    }
    return std::string(v.GetString(), v.GetStringLength());
  }

  std::vector<std::string> texts(const json_value& object, const char* name,
                                 const std::string& where) const {
    const json_value& a = array(object, name, where);
    std::vector<std::string> out;
    out.reserve(a.Size());
    for (rapidjson::SizeType i = 0; i < a.Size(); i++) {
      out.push_back(text(a[i], where + name + "[" + std::to_string(i) + "]"));
    }
    return out;
  }

  // A count: a whole number from 0 to `most`.
  int count(const json_value& v, const std::string& where, int64_t most = INT_MAX) const {
    int64_t n = 0;
    if (!signed_number(v, n) || n < 0 || n > most) {
      malformed(where, most == INT_MAX ? "is not a count" : "is out of range");
    }
    return static_cast<int>(n);
  }

  double sum(const json_value& v, const std::string& where) const {
    const std::string_view t = json_number_text(v);
    if (t == "inf") {
      return INFINITY;
    }
    if (t == "-inf") {
      return -INFINITY;
    }
    if (t == "nan") {
      return NAN;
    }
    // JSON's grammar of numbers, then the C library's reading, which rounds
    // correctly: the double that was written.
    size_t i = t.size() > 0 && t[0] == '-' ? 1 : 0;
    auto digits = [&] {
      const size_t from = i;
      while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        i++;
      }
      return i > from;
    };
    bool ok = digits() && (t[t[0] == '-' ? 1 : 0] != '0' || i == (t[0] == '-' ? 2u : 1u));
    if (ok && i < t.size() && t[i] == '.') {
      i++;
      ok = digits();
    }
    if (ok && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
      i++;
      if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        i++;
      }
      ok = digits();
    }
    if (!ok || i != t.size()) {
      malformed(where, "is not a number");
    }
    return strtod(std::string(t).c_str(), nullptr);
  }

  // One pair; its counts checked against each other, so that no sum of
  // them over any number of pairs holds more than the pairs' entities.
  void pair(const json_value& p, const std::string& where, uint32_t shard, const shard_part& part,
            shard_pairs& pairs) const {
    if (!p.IsObject()) {
      malformed(where, "is not an object");
    }
    const std::string reference = text(member(p, "reference", where + "."), where + ".reference");
    const std::string hypothesis =
        text(member(p, "hypothesis", where + "."), where + ".hypothesis");
    pair_counts f;
    f.types = texts(p, "types", where + ".");
    const json_value& c = array(p, "counts", where + ".");
    const std::string at = where + ".counts";
    if (c.Size() != 12) {
      malformed(at, "does not hold 12 values");
    }
    outcome_counts& n = f.counts;
    n.reference_entities = count(c[0], at + "[0]");
    n.hypothesis_entities = count(c[1], at + "[1]");
    const int entities = n.reference_entities, hypotheses = n.hypothesis_entities;
    n.corrects = count(c[2], at + "[2]", std::min(entities, hypotheses));
    n.insertions = count(c[3], at + "[3]", hypotheses);
    n.deletions = count(c[4], at + "[4]", entities);
    n.substitutions = count(c[5], at + "[5]", std::min(entities, hypotheses));
    // Each reference entity is a correct, a substitution or a deletion, each
    // hypothesis entity a correct, a substitution or an insertion.
    if (int64_t(n.corrects) + n.substitutions + n.deletions != entities ||
        int64_t(n.corrects) + n.substitutions + n.insertions != hypotheses) {
      malformed(at, "do not account for the entities");
    }
    n.total_errors = count(c[6], at + "[6]");
    if (n.total_errors != int64_t(n.insertions) + n.deletions + n.substitutions) {
      malformed(at + "[6]", "is not the sum of the errors");
    }
    n.slot_error_sum = sum(c[7], at + "[7]");
    n.credits = sum(c[8], at + "[8]");
    if (!unsigned_number(c[9], n.tokens) || !unsigned_number(c[10], n.equal_tags) ||
        n.equal_tags > n.tokens) {
      malformed(at + "[9]", "and the next are not a count of tokens and of equal tags");
    }
    n.overlapping_misses = count(c[11], at + "[11]", int64_t(n.insertions) + n.deletions);
    const json_value& per_type = array(p, "per_type", where + ".");
    if (per_type.Size() != f.types.size()) {
      malformed(where + ".per_type", "does not hold a row per type");
    }
    for (std::vector<int>* v :
         {&n.ref_per_type, &n.hyp_per_type, &n.correct_per_type, &n.correct_hyp_per_type}) {
      v->resize(f.types.size());
    }
    // Each entity counts for one type, each outcome in one cell: the sums
    // are bounded by the pair's entities.
    int64_t sums[4] = {0, 0, 0, 0};
    for (rapidjson::SizeType t = 0; t < per_type.Size(); t++) {
      const std::string row = where + ".per_type[" + std::to_string(t) + "]";
      const json_value& r = per_type[t];
      if (!r.IsArray() || r.Size() != 4) {
        malformed(row, "does not hold 4 counts");
      }
      n.ref_per_type[t] = count(r[0], row + "[0]", entities);
      n.hyp_per_type[t] = count(r[1], row + "[1]", hypotheses);
      n.correct_per_type[t] = count(r[2], row + "[2]", n.ref_per_type[t]);
      n.correct_hyp_per_type[t] = count(r[3], row + "[3]", n.hyp_per_type[t]);
      sums[0] += n.ref_per_type[t];
      sums[1] += n.hyp_per_type[t];
      sums[2] += n.correct_per_type[t];
      sums[3] += n.correct_hyp_per_type[t];
    }
    if (sums[0] > entities || sums[1] > hypotheses || sums[2] > n.corrects ||
        sums[3] > n.corrects) {
      malformed(where + ".per_type", "counts more entities than the pair holds");
    }
    const json_value& cells = array(p, "confusion", where + ".");
    const int types = static_cast<int>(f.types.size());
    const int64_t outcomes = int64_t(entities) + hypotheses;
    int64_t in_cells = 0;
    for (rapidjson::SizeType k = 0; k < cells.Size(); k++) {
      const std::string cell = where + ".confusion[" + std::to_string(k) + "]";
      const json_value& r = cells[k];
      if (!r.IsArray() || r.Size() != 4) {
        malformed(cell, "does not hold 4 values");
      }
      int64_t sides[2] = {0, 0};
      for (rapidjson::SizeType side = 0; side < 2; side++) {
        if (!signed_number(r[side], sides[side]) || sides[side] < no_type || sides[side] >= types) {
          malformed(cell, "names no type of the pair");
        }
      }
      const int count_of_cell = count(r[2], cell + "[2]", outcomes);
      in_cells += count_of_cell;
      if (in_cells > outcomes) {
        malformed(where + ".confusion", "counts more outcomes than the pair holds");
      }
      f.confusion.cells.push_back(confusion_cell{static_cast<int32_t>(sides[0]),
                                                 static_cast<int32_t>(sides[1]), count_of_cell,
                                                 count(r[3], cell + "[3]", count_of_cell)});
    }
    size_t place = no_place;
    if (part.parts > 0) {
      // One of the part's own places: every parts-th of the corpus.
      uint64_t v = 0;
      if (!unsigned_number(member(p, "place", where + "."), v) || v >= part.corpus_pairs ||
          v % part.parts != part.part - 1) {
        malformed(where + ".place", "is not a place of the part's pairs");
      }
      place = static_cast<size_t>(v);
    }
    pairs.add(shard, reference, hypothesis, f, place);
  }

  // The part of a corpus the shard is, if it is one.
  shard_part part_of(const json_value& m) const {
    shard_part part;
    const json_value::ConstMemberIterator found = m.FindMember("part");
    if (found == m.MemberEnd()) {
      return part;
    }
    const json_value& v = found->value;
    if (!v.IsObject()) {
      malformed("part", "is not an object");
    }
    // As many parts as --shard makes.
    auto number = [&](const char* name, uint64_t least, uint64_t most) {
      uint64_t n = 0;
      if (!unsigned_number(member(v, name, "part."), n) || n < least || n > most) {
        malformed(std::string("part.") + name, "is out of range");
      }
      return static_cast<size_t>(n);
    };
    part.parts = number("parts", 1, 1000000);
    part.part = number("part", 1, part.parts);
    part.corpus_pairs = number("corpus_pairs", 0, UINT32_MAX);
    return part;
  }

 private:
  std::string shown_;
};

}  // namespace

namespace {

// Where the parts of a report lie in its text, found in one pass that
// builds nothing: a report's outcomes (made with -d) are skipped, and its
// pairs are then read one at a time, so that a large shard is never held
// whole as a tree.
struct report_layout {
  bool object = false;                            // the report is a JSON object
  bool failed = false;                            // it has an "error" member
  size_t documents_begin = 0, documents_end = 0;  // the "documents" object (end 0: none)
  size_t merge_begin = 0, merge_end = 0;          // the "merge" object
  size_t pairs_begin = 0, pairs_end = 0;          // within it, the "pairs" array
  std::vector<std::pair<size_t, size_t>> pairs;   // each pair object's text
  size_t not_an_object = SIZE_MAX;                // the first element of "pairs" that is none
};

class layout_reader : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, layout_reader> {
 public:
  using stream = rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream>;
  layout_reader(const stream& in, report_layout& out) : in_(in), out_(out) {}

  bool Default() {
    element(false);
    key_ = role::other;
    return true;
  }
  bool Key(const char* name, rapidjson::SizeType size, bool) {
    const std::string_view k(name, size);
    const role parent = roles_.back();
    key_ = role::other;
    if (parent == role::top && k == "documents") {
      key_ = role::documents;
    } else if (parent == role::top && k == "merge") {
      key_ = role::merge;
    } else if (parent == role::top && k == "error") {
      out_.failed = true;
    } else if (parent == role::merge && k == "pairs") {
      key_ = role::pairs;
    }
    return true;
  }
  bool StartObject() { return open(true); }
  bool StartArray() { return open(false); }
  bool EndObject(rapidjson::SizeType) { return close(); }
  bool EndArray(rapidjson::SizeType) { return close(); }

 private:
  enum class role { top, documents, merge, pairs, pair, other };

  // A value begins: an element of the pairs, which must be objects?
  void element(bool object) {
    if (!roles_.empty() && roles_.back() == role::pairs) {
      if (!object && out_.not_an_object == SIZE_MAX) {
        out_.not_an_object = elements_;
      }
      elements_++;
    }
  }

  bool open(bool object) {
    const size_t at = in_.Tell();  // the bracket: the iterative reader tells before taking it
    role r = role::other;
    element(object);
    if (roles_.empty()) {
      out_.object = object;
      r = object ? role::top : role::other;
    } else if (roles_.back() == role::pairs) {
      if (object) {
        r = role::pair;
        begin_ = at;
      }
    } else if (key_ == role::documents && object && out_.documents_end == 0) {
      r = role::documents;
      out_.documents_begin = at;
    } else if (key_ == role::merge && object && out_.merge_end == 0) {
      r = role::merge;
      out_.merge_begin = at;
    } else if (key_ == role::pairs && !object && out_.pairs_end == 0) {
      r = role::pairs;
      out_.pairs_begin = at;
    }
    roles_.push_back(r);
    key_ = role::other;
    return true;
  }

  bool close() {
    const size_t end = in_.Tell() + 1;  // past the bracket
    switch (roles_.back()) {
      case role::documents:
        out_.documents_end = end;
        break;
      case role::merge:
        out_.merge_end = end;
        break;
      case role::pairs:
        out_.pairs_end = end;
        break;
      case role::pair:
        out_.pairs.emplace_back(begin_, end);
        break;
      default:
        break;
    }
    roles_.pop_back();
    key_ = role::other;
    return true;
  }

  const stream& in_;
  report_layout& out_;
  std::vector<role> roles_;  // of the containers open
  role key_ = role::other;   // what the last key names
  size_t begin_ = 0;         // where the pair being read began
  size_t elements_ = 0;      // elements of the pairs so far
};

// Numbers as their text (see json_number_text); a deep nest of arrays takes no
// stack.
constexpr unsigned read_flags = rapidjson::kParseNumbersAsStringsFlag |
                                rapidjson::kParseIterativeFlag |
                                rapidjson::kParseValidateEncodingFlag;

// A part of the text, checked whole already, as a tree.
void parse_part(rapidjson::Document& doc, const std::string_view text) {
  doc.Parse<read_flags>(text.data(), text.size());
  assert(!doc.HasParseError());
}

}  // namespace

shard_contents read_shard(const std::string& file, shard_pairs& pairs, uint32_t shard) {
  text_buffer bytes = file_load(file.c_str());
  const std::string_view text(bytes.data(), bytes.size);
  const std::string shown = shown_name(file);
  report_layout layout;
  {
    // Strict to the end: two reports in one file (shards concatenated) are
    // refused, not read as the first alone.
    // Bounded by the text's size: the library's UTF-8 check reads on past a
    // NUL that ends a text.
    rapidjson::MemoryStream memory(bytes.data(), bytes.size);
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> in(memory);
    layout_reader handler(in, layout);
    rapidjson::Reader reader;
    const rapidjson::ParseResult result = reader.Parse<read_flags>(in, handler);
    if (result.IsError() || in.Tell() != bytes.size) {
      // "Invalid value." as "invalid value", within the sentence; a NUL
      // ends the text the reader sees.
      std::string reason =
          result.IsError() ? rapidjson::GetParseError_En(result.Code()) : "a NUL byte.";
      if (!reason.empty() && reason.back() == '.') {
        reason.pop_back();
      }
      if (!reason.empty()) {
        reason[0] = static_cast<char>(tolower(static_cast<unsigned char>(reason[0])));
      }
      fatal(1, "Error: %s is not JSON: %s at byte %zu.\n", shown.c_str(), reason.c_str(),
            result.IsError() ? result.Offset() : in.Tell());
    }
  }
  if (!layout.object) {
    fatal(1, "Error: %s is no JSON report of orvane.\n", shown.c_str());
  }
  if (layout.failed) {
    fatal(1, "Error: %s is the report of a run that failed: it has no results to merge.\n",
          shown.c_str());
  }
  if (layout.merge_end == 0) {
    fatal(1,
          "Error: %s holds no results to merge: they are in the --json report of a run over "
          "documents (or a corpus), not of --compare or --scenarios.\n",
          shown.c_str());
  }
  // The member without its pairs' objects, which are read one by one.
  std::string member(text.substr(layout.merge_begin, layout.merge_end - layout.merge_begin));
  const bool pairs_inside =
      layout.pairs_end > layout.merge_begin && layout.pairs_end <= layout.merge_end;
  if (pairs_inside) {
    member =
        std::string(text.substr(layout.merge_begin, layout.pairs_begin + 1 - layout.merge_begin)) +
        std::string(text.substr(layout.pairs_end - 1, layout.merge_end - (layout.pairs_end - 1)));
  }
  rapidjson::Document doc;
  parse_part(doc, member);
  const json_value& m = doc;
  const shard_reader in(file);
  uint64_t version = 0;
  if (!unsigned_number(in.member(m, "version", ""), version) || version != shard_format_version) {
    fatal(1,
          "Error: %s holds results of another version of the merge format; this orvane "
          "merges version %d.\n",
          shown.c_str(), shard_format_version);
  }
  shard_contents out;
  shard_identity& id = out.identity;
  id.program = in.text(in.member(m, "program", ""), "program");
  const json_value& description = in.member(m, "description", "");
  if (!description.IsObject()) {
    in.malformed("description", "is not an object");
  }
  id.description = in.text(in.member(description, "name", "description."), "description.name");
  id.digest = in.text(in.member(description, "digest", "description."), "description.digest");
  const json_value& options = in.member(m, "options", "");
  if (!options.IsObject()) {
    in.malformed("options", "is not an object");
  }
  for (const auto& option : options.GetObject()) {
    const std::string name(option.name.GetString(), option.name.GetStringLength());
    id.options.emplace_back(name, in.text(option.value, "options." + name));
  }
  id.declared_types = in.texts(m, "declared_types", "");
  out.part = in.part_of(m);
  in.array(m, "pairs", "");
  if (layout.not_an_object != SIZE_MAX) {
    in.malformed("pairs[" + std::to_string(layout.not_an_object) + "]", "is not an object");
  }
  // Each pair in a tree of its own, its nodes in a buffer that it reuses.
  static thread_local char pool[1 << 16];
  for (size_t i = 0; i < layout.pairs.size(); i++) {
    rapidjson::MemoryPoolAllocator<> nodes(pool, sizeof pool);
    rapidjson::Document pair(&nodes);
    const auto [begin, end] = layout.pairs[i];
    parse_part(pair, text.substr(begin, end - begin));
    in.pair(pair, "pairs[" + std::to_string(i) + "]", shard, out.part, pairs);
  }
  // The names the reports give the documents, as the shard's own gave them.
  if (layout.documents_end != 0) {
    rapidjson::Document documents;
    parse_part(documents,
               text.substr(layout.documents_begin, layout.documents_end - layout.documents_begin));
    auto text_of = [&](const char* name) {
      const json_value::ConstMemberIterator v = documents.FindMember(name);
      return v != documents.MemberEnd() && v->value.IsString()
                 ? std::string(v->value.GetString(), v->value.GetStringLength())
                 : std::string();
    };
    out.documents = shard_documents{text_of("reference"), text_of("hypothesis"), text_of("pairs"),
                                    text_of("description")};
    const json_value::ConstMemberIterator merged = documents.FindMember("shards");
    uint64_t count = 0;
    if (merged != documents.MemberEnd() && unsigned_number(merged->value, count) && count > 0 &&
        count <= UINT32_MAX) {
      out.documents.shards = static_cast<size_t>(count);
    }
  }
  return out;
}
