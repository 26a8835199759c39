#include "readers/conll_reader.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <string>

#include "base/escape.h"
#include "base/fatal.h"
#include "readers/document_bytes.h"

namespace {

bool is_separator(char c) {
  return c == ' ' || c == '\t';
}

// The lines of a text, one after the other: a line ends with a line feed, a
// carriage return and a line feed, or a carriage return alone (as old Mac
// files and some exports end theirs).
class line_splitter {
 public:
  line_splitter(const char* p, const char* end) : p_(p), end_(end) {}

  bool done() const { return p_ >= end_; }
  const char* position() const { return p_; }  // where the next line begins

  std::string_view next() {
    // The next line feed is kept from line to line, so that a file of
    // carriage returns alone is not searched to its end for each line.
    if (!feed_ || feed_ < p_) {
      feed_ = static_cast<const char*>(std::memchr(p_, '\n', static_cast<size_t>(end_ - p_)));
      if (!feed_) {
        feed_ = end_;
      }
    }
    const char* start = p_;
    const char* cr =
        static_cast<const char*>(std::memchr(p_, '\r', static_cast<size_t>(feed_ - p_)));
    if (cr && cr + 1 != feed_) {
      p_ = cr + 1;
      return std::string_view(start, static_cast<size_t>(cr - start));
    }
    const char* stop = cr ? cr : feed_;
    p_ = feed_ < end_ ? feed_ + 1 : end_;
    return std::string_view(start, static_cast<size_t>(stop - start));
  }

 private:
  const char* p_;
  const char* end_;
  const char* feed_ = nullptr;
};

// Ids of the type names of one document, with the last one looked up kept
// at hand: tags mostly repeat the previous tag's type.
class type_ids {
 public:
  explicit type_ids(name_table& names) : names_(names) { names_.get(""); }
  uint32_t get(std::string_view type) {
    if (type.empty()) {
      return 0;
    }
    if (last_id_ == 0 || type != names_.name(static_cast<int>(last_id_))) {
      last_id_ = static_cast<uint32_t>(names_.get(type));
    }
    return last_id_;
  }

 private:
  name_table& names_;
  uint32_t last_id_ = 0;
};

// The columns of one line (without its line feed).
void split_columns(std::string_view line, std::vector<std::string_view>& out) {
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && is_separator(line[i])) {
      i++;
    }
    const size_t start = i;
    while (i < line.size() && !is_separator(line[i])) {
      i++;
    }
    if (i > start) {
      out.push_back(line.substr(start, i - start));
    }
  }
}

// A tag as messages show it: a control byte could hide itself or more.
std::string shown_tag(std::string_view tag) {
  std::string out;
  append_escaped_controls(out, tag);
  return out;
}

[[noreturn]] void malformed_tag(const char* fname, int line, std::string_view tag) {
  fatal(1,
        "%s:%d: Error: malformed tag '%s': expected O, a prefix (B I E S L U [ ]), or a prefix, a "
        "hyphen and a type.\n",
        fname, line, shown_tag(tag).c_str());
}

}  // namespace

namespace {

// The index of tag column `c` (see conll_reading) on a line of `count`
// columns, or -1 when the line has too few: the token comes first.
int column_index(int c, size_t count) {
  const long index = c > 0 ? c - 1L : static_cast<long>(count) + c;
  return index >= 1 && index < static_cast<long>(count) ? static_cast<int>(index) : -1;
}

// The columns a line needs for the tag columns.
size_t columns_needed(const std::vector<int>& tag_columns) {
  size_t needed = 2;
  for (int c : tag_columns) {
    assert(c != 0 && c != 1 && "column 1 is the token");
    needed = std::max(needed, c > 0 ? static_cast<size_t>(c) : static_cast<size_t>(1 - c));
  }
  return needed;
}

// Folds one token's tag of the compared column into `state`, against the
// tag column's (`prefix`, `type`).
void compare_tag(compared_tags& state, char prefix, std::string_view type, std::string_view other) {
  char other_prefix;
  std::string_view other_type;
  if (!split_tag(other, other_prefix, other_type)) {
    state = compared_tags::not_tags;
  } else if (other_prefix != prefix || other_type != type) {
    state = compared_tags::differ;
  } else if (state == compared_tags::none) {
    state = compared_tags::same;
  }
}

}  // namespace

conll_document read_conll(const char* data, size_t size, const char* fname,
                          const conll_reading& reading) {
  const std::vector<int>& tag_columns = reading.tag_columns;
  const size_t needed = columns_needed(tag_columns);
  conll_document doc;
  doc.tags.resize(tag_columns.size());
  type_ids ids(doc.types);
  // Room for every token, so that nothing is copied as it grows: the text
  // is no longer than the file, and there are no more tokens than lines.
  doc.text.reserve(size);
  size_t max_tokens = 1;
  for (const char* q = data;
       (q = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(data + size - q))));
       q++) {
    max_tokens++;
  }
  doc.token_start.reserve(max_tokens);
  doc.token_line.reserve(max_tokens);
  for (std::vector<token_tag>& column : doc.tags) {
    column.reserve(max_tokens);
  }
  const cursor start = document_start(data, size, fname);
  line_splitter lines(start.p, data + size);
  std::vector<std::string_view> cols;
  std::vector<int> index(tag_columns.size());
  int compared_index = -1;
  std::vector<token_tag> docstart_tags(tag_columns.size());
  bool new_sentence = true;
  int line = reading.first_line - 1;
  auto add_token = [&](std::string_view token) {
    doc.append_token(token, line, new_sentence);
    new_sentence = false;
  };
  while (!lines.done()) {
    line++;
    const std::string_view text = lines.next();
    split_columns(text, cols);
    if (cols.empty()) {
      new_sentence = true;  // a blank line ends a sentence
      continue;
    }
    if (cols[0] == "-DOCSTART-") {
      // Its columns are not counted, as files often give such lines fewer: a
      // tag column it lacks reads as O. A tag that is none is an error where
      // such a line is a token (conlleval counts a phrase there, of the type
      // after the first hyphen); where it is a boundary, it is a tag the
      // warning counts.
      bool tagged = false;
      for (size_t k = 0; k < tag_columns.size(); k++) {
        const int i = column_index(tag_columns[k], cols.size());
        token_tag& t = docstart_tags[k];
        t = token_tag();
        if (i < 0) {
          continue;
        }
        const std::string_view tag = cols[static_cast<size_t>(i)];
        std::string_view type;
        if (!split_tag(tag, t.prefix, type)) {
          if (reading.docstart_tokens) {
            malformed_tag(fname, line, tag);
          }
          t = token_tag();
        } else if (t.prefix == 'O') {
          continue;
        } else {
          t.type = ids.get(type);
        }
        if (!tagged) {
          tagged = true;
          if (doc.tagged_docstarts == 0) {
            doc.first_tagged_docstart = line;
            doc.first_docstart_tag = std::string(tag);
          }
          doc.tagged_docstarts++;
        }
      }
      const uint32_t token = static_cast<uint32_t>(doc.token_start.size());
      const bool is_token = reading.all_docstarts || (tagged && reading.docstart_tokens);
      if (is_token) {
        add_token(cols[0]);
        for (size_t k = 0; k < tag_columns.size(); k++) {
          doc.tags[k].push_back(docstart_tags[k]);
        }
      } else {
        new_sentence = true;
      }
      doc.docstarts.push_back(docstart_line{token, line, is_token});
      continue;
    }
    if (cols[0] == "-X-") {
      // conlleval's sentence boundary: no token, its columns not counted.
      new_sentence = true;
      continue;
    }
    if (doc.columns == 0) {
      doc.columns = cols.size();
      if (doc.columns < needed) {
        fatal(1, "%s:%d: Error: expected at least %zu columns, found %zu.\n", fname, line, needed,
              cols.size());
      }
      for (size_t k = 0; k < tag_columns.size(); k++) {
        index[k] = column_index(tag_columns[k], doc.columns);
        assert(index[k] >= 1);
      }
      if (reading.compared_column != 0) {
        compared_index = column_index(reading.compared_column, doc.columns);
      }
    } else if (cols.size() != doc.columns) {
      fatal(1, "%s:%d: Error: expected %zu columns, found %zu.\n", fname, line, doc.columns,
            cols.size());
    }
    add_token(cols[0]);
    for (size_t k = 0; k < tag_columns.size(); k++) {
      const std::string_view tag = cols[static_cast<size_t>(index[k])];
      token_tag t;
      std::string_view type;
      if (!split_tag(tag, t.prefix, type)) {
        malformed_tag(fname, line, tag);
      }
      if (k == 0 && compared_index >= 0 && doc.compared != compared_tags::not_tags) {
        compare_tag(doc.compared, t.prefix, type, cols[static_cast<size_t>(compared_index)]);
      }
      t.type = ids.get(type);
      doc.tags[k].push_back(t);
    }
  }
  return doc;
}

namespace {

enum class line_kind { blank, docstart, boundary, token };

line_kind kind_of_line(std::string_view text, std::vector<std::string_view>& cols) {
  split_columns(text, cols);
  return cols.empty()              ? line_kind::blank
         : cols[0] == "-DOCSTART-" ? line_kind::docstart
         : cols[0] == "-X-"        ? line_kind::boundary
                                   : line_kind::token;
}

}  // namespace

namespace {

// The token and "-DOCSTART-" lines of a file, one after the other, blank and
// "-X-" lines skipped.
class line_items {
 public:
  struct item {
    line_kind kind;  // token or docstart; blank at the end of the file
    int32_t line;
    size_t begin;  // offsets of the line in the file, its line end included
    size_t end;
    bool tagged;  // a "-DOCSTART-" line with a tag other than O in a column read
  };

  explicit line_items(const conll_input& file)
      : data_(file.data),
        lines_(document_start(file.data, file.size, file.name).p, file.data + file.size),
        tag_columns_(file.reading.tag_columns),
        start_(static_cast<size_t>(lines_.position() - data_)) {}

  size_t start() const { return start_; }

  item next() {
    while (!lines_.done()) {
      line_++;
      const std::string_view text = lines_.next();
      const line_kind kind = kind_of_line(text, cols_);
      if (kind == line_kind::token || kind == line_kind::docstart) {
        return item{kind, line_, static_cast<size_t>(text.data() - data_),
                    static_cast<size_t>(lines_.position() - data_),
                    kind == line_kind::docstart && tagged()};
      }
    }
    const size_t end = static_cast<size_t>(lines_.position() - data_);
    return item{line_kind::blank, line_ + 1, end, end, false};
  }

 private:
  // A tag that is no "O" is a tag, whether or not it can be read.
  bool tagged() const {
    for (int c : tag_columns_) {
      const int i = column_index(c, cols_.size());
      if (i >= 0 && cols_[static_cast<size_t>(i)] != "O") {
        return true;
      }
    }
    return false;
  }

  const char* data_;
  line_splitter lines_;
  const std::vector<int>& tag_columns_;
  std::vector<std::string_view> cols_;
  size_t start_;
  int32_t line_ = 0;
};

// A section's first token, at `line`, unless it has one.
void first_token(conll_section& s, int32_t line) {
  if (s.first_token_line == 0) {
    s.first_token_line = line;
  }
}

}  // namespace

conll_sections_of conll_sections(const conll_input& ref, const conll_input* hyp) {
  conll_sections_of out;
  line_items r(ref);
  conll_section current{r.start(), 0, 1, 0};
  uint32_t tokens = 0;  // of the current section
  bool leading = true;  // before the reference's first "-DOCSTART-" line
  std::unique_ptr<line_items> h;
  conll_section hyp_current{0, 0, 1, 0};
  line_items::item hi{line_kind::blank, 0, 0, 0, false};
  // Where the hypothesis's last line taken ends, and the line after it.
  size_t hyp_taken = 0;
  int32_t hyp_next_line = 1;
  auto take_hyp = [&] {
    hyp_taken = hi.end;
    hyp_next_line = hi.line + 1;
    hi = h->next();
  };
  if (hyp) {
    h = std::make_unique<line_items>(*hyp);
    hyp_current.begin = hyp_taken = h->start();
    hi = h->next();
  }
  // A "-DOCSTART-" line is a token where conlleval's reading makes it one.
  const bool tagged_tokens = ref.reading.docstart_tokens;
  for (line_items::item ri = r.next();
       ri.kind != line_kind::blank || hi.kind != line_kind::blank;) {
    if (ri.kind == line_kind::docstart) {
      // A document begins at the reference's line, and at the hypothesis's
      // line paired with it (see pair_docstarts), else right after what
      // the pairing put before it.
      const bool paired = hi.kind == line_kind::docstart;
      if (!leading || tokens > 0) {
        current.end = ri.begin;
        out.ref.push_back(current);
        if (h) {
          hyp_current.end = paired ? hi.begin : hyp_taken;
          out.hyp.push_back(hyp_current);
          hyp_current = conll_section{hyp_current.end, 0, paired ? hi.line : hyp_next_line, 0};
        }
      }
      leading = false;
      current = conll_section{ri.begin, 0, ri.line, 0};
      tokens = 0;
      if (tagged_tokens && (ri.tagged || (paired && hi.tagged))) {
        first_token(current, ri.line);
        if (paired) {
          first_token(hyp_current, hi.line);
        }
      }
      ri = r.next();
      if (paired) {
        take_hyp();
      }
    } else if (hi.kind == line_kind::docstart) {
      // The hypothesis's own line: a token of it where tagged, and an
      // O-tagged counterpart of the reference's, at its next token.
      if (tagged_tokens && hi.tagged) {
        first_token(hyp_current, hi.line);
      }
      take_hyp();
    } else {
      if (ri.kind == line_kind::token) {
        first_token(current, ri.line);
        tokens++;
        ri = r.next();
      }
      if (hi.kind == line_kind::token) {
        first_token(hyp_current, hi.line);
        take_hyp();
      }
    }
  }
  current.end = ref.size;
  out.ref.push_back(current);
  if (h) {
    hyp_current.end = hyp->size;
    out.hyp.push_back(hyp_current);
  }
  return out;
}

namespace {

// A document built token by token from others' tokens.
class document_builder {
 public:
  // `from`'s types, columns and warnings go to the new document.
  explicit document_builder(conll_document& from) : from_(from) {
    out_.types = std::move(from.types);
    out_.columns = from.columns;
    out_.tagged_docstarts = from.tagged_docstarts;
    out_.first_tagged_docstart = from.first_tagged_docstart;
    out_.first_docstart_tag = std::move(from.first_docstart_tag);
    out_.compared = from.compared;
    out_.tags.resize(from.tags.size());
  }

  // The next token begins a sentence: a boundary comes before it.
  void boundary() { boundary_ = true; }

  // Token i of the source, a "-DOCSTART-" token among them.
  void copy(size_t i, bool docstart) {
    const uint32_t start = from_.token_start[i];
    if (docstart) {
      out_.docstarts.push_back(docstart_line{token_count(), from_.token_line[i], true});
    }
    emit(std::string_view(from_.text).substr(start, from_.token_end(i) - start),
         from_.token_line[i], from_.starts_sentence[i]);
    for (size_t k = 0; k < from_.tags.size(); k++) {
      out_.tags[k].push_back(from_.tags[k][i]);
    }
  }

  // A "-DOCSTART-" line of the source (token i) read as a boundary.
  void drop(size_t i) {
    out_.docstarts.push_back(docstart_line{token_count(), from_.token_line[i], false});
    boundary_ = true;
  }

  // An O-tagged "-DOCSTART-" token that the source lacks, the counterpart of
  // the other file's, on the line of the source's token `next` (or its last).
  void insert(size_t next) {
    const size_t count = from_.token_start.size();
    const int32_t line = next < count ? from_.token_line[next]
                         : count      ? from_.token_line[count - 1]
                                      : 1;
    out_.docstarts.push_back(docstart_line{token_count(), line, true, true});
    emit("-DOCSTART-", line, true);
    for (std::vector<token_tag>& column : out_.tags) {
      column.push_back(token_tag());
    }
  }

  conll_document take() { return std::move(out_); }

 private:
  uint32_t token_count() const { return static_cast<uint32_t>(out_.token_start.size()); }

  void emit(std::string_view token, int32_t line, bool starts) {
    starts = starts || boundary_ || out_.text.empty();
    boundary_ = false;
    out_.append_token(token, line, starts);
  }

  conll_document& from_;
  conll_document out_;
  bool boundary_ = false;
};

// Which of a document's tokens are "-DOCSTART-" lines.
std::vector<bool> docstart_tokens_of(const conll_document& doc) {
  std::vector<bool> is_docstart(doc.token_start.size());
  for (const docstart_line& d : doc.docstarts) {
    assert(d.is_token && "read with all_docstarts");
    is_docstart[d.token] = true;
  }
  return is_docstart;
}

bool tagged_token(const conll_document& doc, size_t i) {
  for (const std::vector<token_tag>& column : doc.tags) {
    if (column[i].prefix != 'O') {
      return true;
    }
  }
  return false;
}

}  // namespace

void pair_docstarts(conll_document& ref, conll_document& hyp, bool tagged_tokens) {
  const std::vector<bool> in_ref = docstart_tokens_of(ref);
  const std::vector<bool> in_hyp = docstart_tokens_of(hyp);
  const size_t nr = in_ref.size();
  const size_t nh = in_hyp.size();
  document_builder r(ref);
  document_builder h(hyp);
  size_t i = 0, j = 0;
  while (i < nr || j < nh) {
    const bool at_ref = i < nr && in_ref[i];
    const bool at_hyp = j < nh && in_hyp[j];
    if (at_ref && at_hyp) {
      // A line of both: a token of both where either tags it.
      if (tagged_tokens && (tagged_token(ref, i) || tagged_token(hyp, j))) {
        r.copy(i, true);
        h.copy(j, true);
      } else {
        r.drop(i);
        h.drop(j);
      }
      i++;
      j++;
    } else if (at_ref) {
      // The reference's documents are the documents: its line ends an
      // entity of the hypothesis too, as the hypothesis is cut there when
      // the documents are evaluated apart.
      if (tagged_tokens && tagged_token(ref, i)) {
        r.copy(i, true);
        h.insert(j);
      } else {
        r.drop(i);
        h.boundary();
      }
      i++;
    } else if (at_hyp) {
      if (tagged_tokens && tagged_token(hyp, j)) {
        r.insert(i);
        h.copy(j, true);
      } else {
        h.drop(j);
      }
      j++;
    } else {
      if (i < nr) {
        r.copy(i++, false);
      }
      if (j < nh) {
        h.copy(j++, false);
      }
    }
  }
  ref = r.take();
  hyp = h.take();
}

namespace {

// A token as messages show it: escaped, and cut (at a character's start)
// when it is long.
std::string shown_token(const conll_document& doc, size_t i) {
  const uint32_t start = doc.token_start[i];
  std::string_view token(doc.text.data() + start, doc.token_end(i) - start);
  const size_t most = 60;
  std::string out = "'";
  if (token.size() > most) {
    size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0) == 0x80) {
      cut--;
    }
    append_escaped_controls(out, token.substr(0, cut));
    out += "...";
  } else {
    append_escaped_controls(out, token);
  }
  return out + "'";
}

std::string_view token_at(const conll_document& doc, size_t i) {
  const uint32_t start = doc.token_start[i];
  return std::string_view(doc.text.data() + start, doc.token_end(i) - start);
}

}  // namespace

size_t own_tokens(const conll_document& doc, size_t n) {
  size_t own = n;
  for (const docstart_line& d : doc.docstarts) {
    if (d.inserted && d.token < n) {
      own--;
    }
  }
  return own;
}

void check_same_tokens(const conll_document& ref, const char* ref_name, const conll_document& hyp,
                       const char* hyp_name) {
  const size_t nr = ref.token_start.size();
  const size_t nh = hyp.token_start.size();
  const char* const rule = "the two files must hold the same tokens";
  for (size_t i = 0; i < std::min(nr, nh); i++) {
    if (token_at(ref, i) != token_at(hyp, i)) {
      fatal(1, "%s:%d: Error: token %s, where %s:%d has %s: %s.\n", hyp_name, hyp.token_line[i],
            shown_token(hyp, i).c_str(), ref_name, ref.token_line[i], shown_token(ref, i).c_str(),
            rule);
    }
  }
  // The tokens a file ends after are its own: not the "-DOCSTART-" tokens
  // added as counterparts of the other's.
  if (nh < nr) {
    const size_t own = own_tokens(hyp, nh);
    fatal(1, "%s: Error: the file ends after %zu token%s, where %s:%d has %s: %s.\n", hyp_name, own,
          own == 1 ? "" : "s", ref_name, ref.token_line[nh], shown_token(ref, nh).c_str(), rule);
  }
  if (nh > nr) {
    const size_t own = own_tokens(ref, nr);
    fatal(1, "%s:%d: Error: token %s, where %s ends after %zu token%s: %s.\n", hyp_name,
          hyp.token_line[nr], shown_token(hyp, nr).c_str(), ref_name, own, own == 1 ? "" : "s",
          rule);
  }
}

const char* const typeless_type = "(no type)";

namespace {

// The first of two lines of one file, where 0 is none.
int32_t first_line(int32_t a, int32_t b) {
  return a == 0 ? b : b == 0 ? a : std::min(a, b);
}

}  // namespace

void column_chunks::add(const column_chunks& o) {
  tagged += o.tagged;
  entities += o.entities;
  unfit += o.unfit;
  first_unfit_line = first_line(first_unfit_line, o.first_unfit_line);
  joined += o.joined;
  first_joined_line = first_line(first_joined_line, o.first_joined_line);
  dropped += o.dropped;
  first_dropped_line = first_line(first_dropped_line, o.first_dropped_line);
  typeless = typeless || o.typeless;
  typed = typed || o.typed;
  first_typed_line = first_line(first_typed_line, o.first_typed_line);
  bioes = bioes || o.bioes;
  first_bioes_line = first_line(first_bioes_line, o.first_bioes_line);
}

column_chunks conll_entities(const conll_document& doc, size_t column, chunk_scheme scheme,
                             name_table& types, text_tags& out) {
  assert(column < doc.tags.size());
  column_chunks r;
  // Every type the column uses counts, in order of first appearance, also
  // one whose tags all fit no entity under a strict scheme: the types must
  // not depend on the scheme. A typeless tag has the O tag's type id, 0.
  const std::vector<token_tag>& tags = doc.tags[column];
  std::vector<int> tagids(static_cast<size_t>(doc.types.size()), -1);
  for (size_t i = 0; i < tags.size(); i++) {
    const token_tag& t = tags[i];
    if (t.prefix == 'O') {
      continue;
    }
    r.tagged++;
    if (!r.bioes && (t.prefix == 'S' || t.prefix == 'E' || t.prefix == 'U' || t.prefix == 'L')) {
      r.bioes = true;
      r.first_bioes_line = doc.token_line[i];
    }
    if (t.type == 0) {
      r.typeless = true;
    } else if (!r.typed) {
      r.typed = true;
      r.first_typed_line = doc.token_line[i];
    }
    if (tagids[t.type] < 0) {
      tagids[t.type] = types.get(t.type == 0 ? std::string_view(typeless_type)
                                             : doc.types.name(static_cast<int>(t.type)));
    }
  }
  const chunking c = chunk_tokens(tags, doc.starts_sentence, scheme);
  r.entities = static_cast<uint32_t>(c.chunks.size());
  r.unfit = c.unfit;
  r.first_unfit_line = c.unfit ? doc.token_line[c.first_unfit] : 0;
  if (scheme == chunk_scheme::conlleval) {
    uint32_t first = 0;
    r.joined = joined_entities(c, tags, first);
    r.first_joined_line = r.joined ? doc.token_line[first] : 0;
    r.dropped = c.dropped;
    r.first_dropped_line = c.dropped ? doc.token_line[c.first_dropped] : 0;
  }
  // Tags in text order: a chunk opens after the chunks that enclose it and
  // closes before them, and the chunks that end before the next one starts
  // close first.
  struct open_chunk {
    const token_chunk* chunk;
    int tagid;
  };
  std::vector<open_chunk> open;
  auto close_before = [&](uint32_t token) {
    while (!open.empty() && open.back().chunk->last < token) {
      const token_chunk& k = *open.back().chunk;
      out.tags.emplace_back(open.back().tagid, true, static_cast<int32_t>(doc.token_end(k.last)),
                            doc.token_line[k.first], 0);
      open.pop_back();
    }
  };
  for (const token_chunk& k : c.chunks) {
    close_before(k.first);
    const int tagid = tagids[k.type];
    out.tags.emplace_back(tagid, false, static_cast<int32_t>(doc.token_start[k.first]),
                          doc.token_line[k.first], 0);
    open.push_back(open_chunk{&k, tagid});
  }
  close_before(UINT32_MAX);
  return r;
}

uint32_t conll_unfit(const conll_document& doc, size_t column, chunk_scheme scheme) {
  return chunk_tokens(doc.tags[column], doc.starts_sentence, scheme).unfit;
}
