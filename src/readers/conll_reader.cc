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

// A separator or a line end; most bytes fail the first test.
bool ends_column(char c) {
  return static_cast<unsigned char>(c) <= ' ' && (is_separator(c) || c == '\n' || c == '\r');
}

// The lines of a text, one after the other: a line ends with a line feed, a
// carriage return and a line feed, or a carriage return alone (as old Mac
// files and some exports end theirs).
class line_splitter {
 public:
  line_splitter(const char* p, const char* end) : p_(p), end_(end) {}

  bool done() const { return p_ >= end_; }
  const char* position() const { return p_; }  // where the next line begins

  // The next line, cut into its columns (runs of bytes other than blanks
  // and tabs) in the one pass that finds its end: a file of a million
  // short lines is read at the speed of its bytes, not of calls per line.
  std::string_view next(std::vector<std::string_view>& cols) {
    cols.clear();
    const char* const start = p_;
    const char* q = p_;
    for (;;) {
      while (q < end_ && is_separator(*q)) {
        q++;
      }
      if (q == end_ || *q == '\n' || *q == '\r') {
        break;
      }
      const char* const column = q;
      while (q < end_ && !ends_column(*q)) {
        q++;
      }
      cols.emplace_back(column, static_cast<size_t>(q - column));
    }
    const std::string_view line(start, static_cast<size_t>(q - start));
    if (q < end_) {
      q += *q == '\r' && q + 1 < end_ && q[1] == '\n' ? 2 : 1;
    }
    p_ = q;
    return line;
  }

 private:
  const char* p_;
  const char* end_;
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
  // is no longer than the file, and there are no more tokens than lines
  // (counted in one plain loop: a call per line costs more). What the room
  // left unused is given back once the file is read.
  doc.text.reserve(size);
  size_t max_tokens = 1;
  for (size_t i = 0; i < size; i++) {
    max_tokens += data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'));
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
    lines.next(cols);
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
  doc.text.give_back_unused();
  give_back_unused(doc.token_start);
  give_back_unused(doc.token_line);
  for (const std::vector<token_tag>& column : doc.tags) {
    give_back_unused(column);
  }
  return doc;
}

namespace {

enum class line_kind { blank, docstart, boundary, token };

line_kind kind_of_line(const std::vector<std::string_view>& cols) {
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
      const std::string_view text = lines_.next(cols_);
      const line_kind kind = kind_of_line(cols_);
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

const char* const typeless_type = "(no type)";
