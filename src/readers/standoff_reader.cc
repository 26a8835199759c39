#include "readers/standoff_reader.h"

#include <algorithm>
#include <cinttypes>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/utf8.h"
#include "base/whitespace.h"

namespace {

// One text-bound annotation, its offsets in characters until they are
// turned into bytes.
struct span_annotation {
  std::string_view id;
  int32_t type;
  int32_t local_type;  // in the order of the file's first annotations
  int line;
  std::vector<std::pair<int64_t, int64_t>> fragments;       // [start, end) in characters
  std::vector<std::pair<int32_t, int32_t>> fragment_bytes;  // and in bytes, once placed
  int64_t start = 0;                                        // the covering span, in characters
  int64_t end = 0;
  int32_t start_byte = 0;  // and in bytes
  int32_t end_byte = 0;
  bool has_text = false;
  std::string_view text;
  std::vector<std::pair<std::string_view, std::string_view>> attributes;
};

class standoff_parser {
 public:
  // `crlf_is_one`: a CR LF counts as one character, as brat reads a text
  // file; JSON strings count both. `place`, when not empty, is where the
  // spans are in `ann_name` ("task 2 (id 7)"), all of one document, and
  // messages say it instead of a line.
  standoff_parser(const char* ann_name, const char* text_name, bool crlf_is_one,
                  std::string place = std::string())
      : ann_name_(ann_name),
        text_name_(text_name),
        crlf_is_one_(crlf_is_one),
        place_(std::move(place)) {}

  [[noreturn]] void fail(int line, const std::string& message) const {
    if (!place_.empty()) {
      fatal(1, "%s: %s: Error: %s\n", ann_name_, place_.c_str(), message.c_str());
    }
    fatal(1, "%s:%d: Error: %s\n", ann_name_, line, message.c_str());
  }

  // The fields of a line, split at its first tab (id) and, for text-bound
  // annotations and normalisations, its second (the text).
  void line(std::string_view l, int number, standoff_counts& counts) {
    if (!l.empty() && l.back() == '\r') {
      l.remove_suffix(1);
    }
    if (l.empty()) {
      return;
    }
    const size_t tab = l.find('\t');
    const char kind = l[0];
    if (std::string_view("TAMNRE*#").find(kind) == std::string_view::npos || tab == 0 ||
        tab == std::string_view::npos) {
      fail(number,
           "expected an annotation: an id (T, A, M, N, R, E, * or #, as in T1), a tab, "
           "then its fields; found \"" +
               excerpt(l) + "\".");
    }
    const std::string_view id = l.substr(0, tab);
    std::string_view rest = l.substr(tab + 1);
    if (kind != '*' && kind != '#') {
      const auto [at, added] = ids_.emplace(id, number);
      if (!added) {
        fail(number,
             shown(id) + " is defined again (first on line " + std::to_string(at->second) + ").");
      }
    }
    switch (kind) {
      case 'T':
        text_bound(id, rest, number);
        break;
      case 'A':
      case 'M':
      case 'N':
        pending_.push_back(attribute_line{kind, id, rest, number});
        break;
      default:
        counts.ignored++;
    }
  }

  // Attributes and normalisations, once every text-bound annotation is known.
  void attach(standoff_counts& counts) {
    std::map<std::string_view, size_t> by_id;
    for (size_t i = 0; i < spans_.size(); i++) {
      by_id.emplace(spans_[i].id, i);
    }
    for (const attribute_line& a : pending_) {
      std::string_view fields = a.fields;
      if (a.kind == 'N') {
        fields = fields.substr(0, fields.find('\t'));
      }
      const std::vector<std::string_view> words = split(fields);
      const size_t needed = a.kind == 'N' ? 3 : 2;
      if (words.size() < needed || words.size() > needed + (a.kind == 'N' ? 0 : 1)) {
        fail(a.line, a.kind == 'N'
                         ? "expected a normalisation: N1, a tab, a type, a text-bound "
                           "annotation's id and a reference (as in Reference T1 Wikipedia:534366)."
                         : "expected an attribute: " + std::string(1, a.kind) +
                               "1, a tab, a name, an annotation's id and maybe a value (as in "
                               "Negation T1, or Confidence T1 High).");
      }
      const std::string_view target = words[1];
      const auto found = by_id.find(target);
      if (found == by_id.end()) {
        if (target[0] == 'T') {
          fail(a.line, shown(a.id) + " refers to " + shown(target) +
                           ", which no text-bound annotation defines.");
        }
        counts.ignored++;  // of an event or a relation
        continue;
      }
      span_annotation& s = spans_[found->second];
      if (a.kind == 'N') {
        // The reference names its resource before a colon: Wikipedia:534366.
        const std::string_view ref = words[2];
        const size_t colon = ref.find(':');
        s.attributes.emplace_back(
            colon == std::string_view::npos ? std::string_view("norm") : ref.substr(0, colon),
            colon == std::string_view::npos ? ref : ref.substr(colon + 1));
      } else {
        s.attributes.emplace_back(words[0], words.size() > 2 ? words[2] : std::string_view("true"));
      }
    }
  }

  // Character offsets as bytes of `text`, in one walk over it; an offset
  // past its end is a fault of the first line that has one.
  void place(const char* text, size_t size) {
    const std::string_view t(text, size);
    int64_t chars = 0;
    for (size_t i = 0; i < t.size(); chars++) {
      i += character_size(t, i);
    }
    std::vector<std::pair<int64_t, int32_t*>> wanted;
    for (span_annotation& s : spans_) {
      if (s.end > chars) {
        fail(s.line, shown(s.id) + " ends at character " + std::to_string(s.end) +
                         ", past the end of " + shown(text_name_) + " (" + std::to_string(chars) +
                         " characters).");
      }
      s.fragment_bytes.resize(s.fragments.size());
      for (size_t f = 0; f < s.fragments.size(); f++) {
        wanted.emplace_back(s.fragments[f].first, &s.fragment_bytes[f].first);
        wanted.emplace_back(s.fragments[f].second, &s.fragment_bytes[f].second);
      }
    }
    std::sort(wanted.begin(), wanted.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    size_t k = 0;
    int64_t c = 0;
    for (size_t i = 0;; c++) {
      for (; k < wanted.size() && wanted[k].first == c; k++) {
        *wanted[k].second = static_cast<int32_t>(i);
      }
      if (i >= t.size() || k == wanted.size()) {
        break;
      }
      i += character_size(t, i);
    }
    for (span_annotation& s : spans_) {
      s.start_byte = s.fragment_bytes.front().first;
      s.end_byte = s.fragment_bytes.front().second;
      for (const auto& [from, to] : s.fragment_bytes) {
        s.start_byte = std::min(s.start_byte, from);
        s.end_byte = std::max(s.end_byte, to);
      }
      // Entities lose the blanks at their edges; one of blanks alone has
      // nothing left.
      bool blank = true;
      for (int32_t b = s.start_byte; b < s.end_byte && blank; b++) {
        blank = is_space(t[static_cast<size_t>(b)]);
      }
      if (blank) {
        fail(s.line, shown(s.id) + " (characters " + std::to_string(s.start) + "-" +
                         std::to_string(s.end) + ") covers blanks only.");
      }
    }
    text_ = t;
  }

  // Each annotation's text, where it gives one, against the text at its
  // offsets: its fragments joined by a space, a line end read as a space.
  void check_texts() {
    for (const span_annotation& s : spans_) {
      if (!s.has_text) {
        continue;
      }
      std::string at;
      for (size_t f = 0; f < s.fragment_bytes.size(); f++) {
        if (f > 0) {
          at += ' ';
        }
        const auto [from, to] = s.fragment_bytes[f];
        at += text_.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
      }
      if (!same_text(s.text, at)) {
        fail(s.line, shown(s.id) + "'s text \"" + shown(s.text) + "\" is not the text at " +
                         "characters " + std::to_string(s.start) + "-" + std::to_string(s.end) +
                         " of " + shown(text_name_) + ", \"" + shown(at) + "\".");
      }
    }
  }

  // Opening and closing tags in text order, checking that the spans nest.
  // An opening tag's column is its annotation's index among the sources,
  // which start at `first_source`.
  void emit(text_tags& doc, size_t first_source) {
    std::vector<size_t> order(spans_.size());
    for (size_t i = 0; i < order.size(); i++) {
      order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      const span_annotation& x = spans_[a];
      const span_annotation& y = spans_[b];
      if (x.start_byte != y.start_byte) {
        return x.start_byte < y.start_byte;
      }
      if (x.end_byte != y.end_byte) {
        return x.end_byte > y.end_byte;
      }
      // Annotations of one span nest in the order of their types' names:
      // the same on both sides, so that two stacks of one span can pair
      // every annotation of a type with one of the other side, whatever
      // the order of the lines.
      const std::string& xt = type_names_[static_cast<size_t>(x.local_type)];
      const std::string& yt = type_names_[static_cast<size_t>(y.local_type)];
      if (xt != yt) {
        return xt < yt;
      }
      return x.line < y.line;
    });
    std::vector<size_t> open;
    auto close = [&](size_t i) {
      const span_annotation& s = spans_[i];
      doc.tags.emplace_back(s.type, true, s.end_byte, s.line, 0);
    };
    for (size_t i : order) {
      const span_annotation& s = spans_[i];
      while (!open.empty() && spans_[open.back()].end_byte <= s.start_byte) {
        close(open.back());
        open.pop_back();
      }
      if (!open.empty() && spans_[open.back()].end_byte < s.end_byte) {
        const span_annotation& o = spans_[open.back()];
        const span_annotation& later = o.line > s.line ? o : s;
        const span_annotation& earlier = o.line > s.line ? s : o;
        // Spans of one JSON line have no lines of their own to tell apart.
        fail(later.line,
             shown(later.id) + " (characters " + std::to_string(later.start) + "-" +
                 std::to_string(later.end) + ") crosses " + shown(earlier.id) + " (characters " +
                 std::to_string(earlier.start) + "-" + std::to_string(earlier.end) +
                 (crlf_is_one_ ? ", line " + std::to_string(earlier.line) : std::string()) +
                 "): two annotations may nest or lie apart, but not overlap in part.");
      }
      const uint32_t first = doc.attributes.size();
      for (const auto& [name, value] : s.attributes) {
        doc.attributes.add(name, value);
      }
      doc.tags.emplace_back(s.type, false, s.start_byte, s.line,
                            static_cast<int32_t>(first_source + i), first,
                            static_cast<uint32_t>(s.attributes.size()));
      open.push_back(i);
    }
    while (!open.empty()) {
      close(open.back());
      open.pop_back();
    }
  }

  void set_types(name_table& types) {
    for (span_annotation& s : spans_) {
      s.type = types.get(type_names_[static_cast<size_t>(s.type)]);
    }
  }

  void give_sources(std::vector<annotation_source>& sources) const {
    for (const span_annotation& s : spans_) {
      annotation_source a;
      a.line = s.line;
      a.id = a.name = std::string(s.id);
      a.characters = s.fragments;
      sources.push_back(std::move(a));
    }
  }

  int discontinuous() const {
    return static_cast<int>(std::count_if(spans_.begin(), spans_.end(),
                                          [](const auto& s) { return s.fragments.size() > 1; }));
  }

 private:
  struct attribute_line {
    char kind;
    std::string_view id;
    std::string_view fields;
    int line;
  };

  static std::string shown(std::string_view text) { return shown_name(text); }
  // A line as a message quotes it: its start, when it is long.
  static std::string excerpt(std::string_view line) {
    return line.size() <= 80 ? shown_name(line) : shown_name(line.substr(0, 72)) + "...";
  }

  static std::vector<std::string_view> split(std::string_view fields) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < fields.size()) {
      const size_t space = fields.find(' ', at);
      const size_t end = space == std::string_view::npos ? fields.size() : space;
      if (end > at) {
        words.push_back(fields.substr(at, end - at));
      }
      at = end + 1;
    }
    return words;
  }

  // A character's bytes at `i`: CR LF is one character where a text file's
  // line ends count once.
  size_t character_size(std::string_view t, size_t i) const {
    if (crlf_is_one_ && t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
      return 2;
    }
    const size_t n = utf8_sequence(t.substr(i, 4));
    return n == 0 ? 1 : n;
  }

  // A line end in the text (LF, CR LF or CR) stands for a space in an
  // annotation's text, which cannot hold one.
  static bool same_text(std::string_view given, std::string_view at) {
    size_t g = 0, a = 0;
    while (g < given.size() && a < at.size()) {
      if (at[a] == '\r' || at[a] == '\n') {
        if (given[g] != ' ') {
          return false;
        }
        a += at[a] == '\r' && a + 1 < at.size() && at[a + 1] == '\n' ? 2 : 1;
        g++;
        continue;
      }
      if (given[g] != at[a]) {
        return false;
      }
      g++;
      a++;
    }
    return g == given.size() && a == at.size();
  }

 public:
  // Spans given as values: each checked as a text-bound annotation's.
  void span(std::string_view name, std::string_view type, int64_t from, int64_t to, int line) {
    if (from < 0 || to < 0) {
      fail(line, shown(name) + " has a negative offset (" + std::to_string(from) + ", " +
                     std::to_string(to) + ").");
    }
    check_order(name, from, to, line);
    span_annotation s;
    s.id = name;
    s.line = line;
    s.fragments.emplace_back(from, to);
    add(std::move(s), type);
  }

 private:
  // A fragment ends after it starts.
  void check_order(std::string_view name, int64_t from, int64_t to, int line) const {
    if (from >= to) {
      fail(line, shown(name) +
                     (from == to ? " is empty: it starts and ends at character "
                                 : " starts at character ") +
                     std::to_string(from) +
                     (from == to ? "." : ", after its end at " + std::to_string(to) + "."));
    }
  }

  // "TYPE START END[;START END...]", then a tab and the text, if given.
  void text_bound(std::string_view id, std::string_view rest, int number) {
    span_annotation s;
    s.id = id;
    s.line = number;
    const size_t tab = rest.find('\t');
    const std::string_view fields = rest.substr(0, tab);
    if (tab != std::string_view::npos) {
      s.has_text = true;
      s.text = rest.substr(tab + 1);
    }
    const size_t space = fields.find(' ');
    const std::string_view type = fields.substr(0, space);
    const std::string expected =
        "expected a text-bound annotation: T1, a tab, a type, its start and end offsets (as in "
        "Person 0 4, or Person 0 4;9 13 in fragments), a tab and its text; found \"" +
        excerpt(std::string(id) + "\t" + std::string(rest)) + "\".";
    if (type.empty() || space == std::string_view::npos) {
      fail(number, expected);
    }
    std::string_view offsets = fields.substr(space + 1);
    for (;;) {
      const size_t semicolon = offsets.find(';');
      const std::string_view fragment = offsets.substr(0, semicolon);
      const size_t gap = fragment.find(' ');
      int64_t from = 0, to = 0;
      if (gap == std::string_view::npos || !number_of(fragment.substr(0, gap), from) ||
          !number_of(fragment.substr(gap + 1), to)) {
        fail(number, expected);
      }
      check_order(id, from, to, number);
      s.fragments.emplace_back(from, to);
      if (semicolon == std::string_view::npos) {
        break;
      }
      offsets = offsets.substr(semicolon + 1);
    }
    add(std::move(s), type);
  }

  // An annotation whose fragments are checked, under the type it names.
  void add(span_annotation s, std::string_view type) {
    s.start = s.fragments.front().first;
    s.end = s.fragments.front().second;
    for (const auto& [from, to] : s.fragments) {
      s.start = std::min(s.start, from);
      s.end = std::max(s.end, to);
    }
    // The type is named once the file is read: types come in the order of
    // their first annotation.
    const auto [at, added] =
        type_ids_.emplace(std::string(type), static_cast<int32_t>(type_names_.size()));
    if (added) {
      type_names_.emplace_back(type);
    }
    s.type = s.local_type = at->second;
    spans_.push_back(std::move(s));
  }

  // Digits only: no sign, no space; at most what a text of 2^31 bytes holds.
  static bool number_of(std::string_view digits, int64_t& value) {
    if (digits.empty() || digits.size() > 10) {
      return false;
    }
    value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') {
        return false;
      }
      value = value * 10 + (c - '0');
    }
    return true;
  }

  const char* ann_name_;
  const char* text_name_;
  bool crlf_is_one_;
  std::string place_;
  std::string_view text_;
  std::vector<span_annotation> spans_;
  std::vector<attribute_line> pending_;
  std::map<std::string_view, int> ids_;  // id: line
  std::map<std::string, int32_t> type_ids_;
  std::vector<std::string> type_names_;
};

}  // namespace

void read_standoff(text_tags& doc, standoff_counts& counts, const char* ann, size_t ann_size,
                   const char* ann_name, const char* text, size_t text_size, const char* text_name,
                   name_table& types, std::vector<annotation_source>* sources) {
  standoff_parser parser(ann_name, text_name, true);
  std::string_view all(ann, ann_size);
  if (all.substr(0, 3) == "\xef\xbb\xbf") {
    all.remove_prefix(3);  // a byte-order mark
  }
  int number = 1;
  for (size_t at = 0; at < all.size(); number++) {
    const size_t end = std::min(all.find('\n', at), all.size());
    parser.line(all.substr(at, end - at), number, counts);
    at = end + 1;
  }
  parser.attach(counts);
  parser.place(text, text_size);
  parser.check_texts();
  parser.set_types(types);
  parser.emit(doc, sources ? sources->size() : 0);
  counts.discontinuous += parser.discontinuous();
  if (sources) {
    parser.give_sources(*sources);
  }
}

void read_character_spans(text_tags& doc, const std::vector<character_span>& spans,
                          const span_document& where, const char* text, size_t text_size,
                          name_table& types, std::vector<annotation_source>* sources) {
  standoff_parser parser(where.file, "its text", false, where.place);
  for (const character_span& s : spans) {
    parser.span(s.name, s.label, s.start, s.end, where.line);
  }
  parser.place(text, text_size);
  parser.set_types(types);
  parser.emit(doc, sources ? sources->size() : 0);
  if (!sources) {
    return;
  }
  for (size_t i = 0; i < spans.size(); i++) {
    annotation_source a;
    a.line = where.line;
    a.id = spans[i].id;
    a.name = spans[i].name;
    a.document = where.id;
    a.span = spans[i].number > 0 ? spans[i].number : static_cast<int32_t>(i + 1);
    a.task = where.task;
    a.characters.emplace_back(spans[i].start, spans[i].end);
    sources->push_back(std::move(a));
  }
}
