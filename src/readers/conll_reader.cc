#include "readers/conll_reader.h"

#include <algorithm>
#include <cassert>
#include <cstring>
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

// Whether a line of these columns is a boundary and no token: "-DOCSTART-"
// between documents, and conlleval's sentence boundary "-X-".
bool is_boundary(std::string_view first_column) {
  return first_column == "-DOCSTART-" || first_column == "-X-";
}

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

}  // namespace

conll_document read_conll(const char* data, size_t size, const char* fname,
                          const std::vector<int>& tag_columns) {
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
  bool new_sentence = true;
  int line = 0;
  while (!lines.done()) {
    line++;
    const std::string_view text = lines.next();
    split_columns(text, cols);
    if (cols.empty()) {
      new_sentence = true;  // a blank line ends a sentence
      continue;
    }
    if (is_boundary(cols[0])) {
      // No token; its columns are not counted, as files often give such
      // lines fewer.
      new_sentence = true;
      continue;
    }
    if (doc.columns == 0) {
      doc.columns = cols.size();
      for (int c : tag_columns) {
        assert(c >= 1);
        if (doc.columns < static_cast<size_t>(c) + 1) {
          fatal(1, "%s:%d: Error: expected at least %d columns, found %zu.\n", fname, line, c + 1,
                cols.size());
        }
      }
    } else if (cols.size() != doc.columns) {
      fatal(1, "%s:%d: Error: expected %zu columns, found %zu.\n", fname, line, doc.columns,
            cols.size());
    }
    if (!doc.text.empty()) {
      doc.text += new_sentence ? '\n' : ' ';
    }
    doc.token_start.push_back(static_cast<uint32_t>(doc.text.size()));
    doc.text += cols[0];
    doc.token_line.push_back(line);
    doc.starts_sentence.push_back(new_sentence);
    new_sentence = false;
    for (size_t k = 0; k < tag_columns.size(); k++) {
      const std::string_view tag = cols[cols.size() - static_cast<size_t>(tag_columns[k])];
      token_tag t;
      std::string_view type;
      if (!split_tag(tag, t.prefix, type)) {
        fatal(1, "%s:%d: Error: malformed tag '%s': expected O or a prefix, a hyphen and a type.\n",
              fname, line, shown_tag(tag).c_str());
      }
      t.type = ids.get(type);
      doc.tags[k].push_back(t);
    }
  }
  return doc;
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
  if (nh < nr) {
    fatal(1, "%s: Error: the file ends after %zu token%s, where %s:%d has %s: %s.\n", hyp_name, nh,
          nh == 1 ? "" : "s", ref_name, ref.token_line[nh], shown_token(ref, nh).c_str(), rule);
  }
  if (nh > nr) {
    fatal(1, "%s:%d: Error: token %s, where %s ends after %zu token%s: %s.\n", hyp_name,
          hyp.token_line[nr], shown_token(hyp, nr).c_str(), ref_name, nr, nr == 1 ? "" : "s", rule);
  }
}

uint32_t conll_entities(const conll_document& doc, size_t column, chunk_scheme scheme,
                        name_table& types, text_tags& out, int32_t& first_unfit_line) {
  assert(column < doc.tags.size());
  // Every type the column uses counts, in order of first appearance, also
  // one whose tags all fit no entity under a strict scheme: the types must
  // not depend on the scheme.
  std::vector<int> tagids(static_cast<size_t>(doc.types.size()), -1);
  for (const token_tag& t : doc.tags[column]) {
    if (t.type != 0 && tagids[t.type] < 0) {
      tagids[t.type] = types.get(doc.types.name(static_cast<int>(t.type)));
    }
  }
  const chunking c = chunk_tokens(doc.tags[column], doc.starts_sentence, scheme);
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
  first_unfit_line = c.unfit ? doc.token_line[c.first_unfit] : 0;
  return c.unfit;
}
