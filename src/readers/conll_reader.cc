#include "readers/conll_reader.h"

#include <cassert>
#include <cstring>
#include <string>

#include "base/fatal.h"
#include "readers/document_bytes.h"

namespace {

bool is_separator(char c) {
  return c == ' ' || c == '\t';
}

// The columns of one line (without its line feed or the carriage return
// before it).
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

}  // namespace

conll_document read_conll(const char* data, size_t size, const char* fname,
                          const std::vector<int>& tag_columns) {
  conll_document doc;
  doc.tags.resize(tag_columns.size());
  const cursor start = document_start(data, size, fname);
  const char* p = start.p;
  const char* end = data + size;
  std::vector<std::string_view> cols;
  bool new_sentence = true;
  int line = 0;
  while (p < end) {
    line++;
    const char* feed = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = feed ? feed : end;
    std::string_view text(p, static_cast<size_t>(stop - p));
    if (!text.empty() && text.back() == '\r') {
      text.remove_suffix(1);
    }
    p = feed ? feed + 1 : end;
    split_columns(text, cols);
    if (cols.empty()) {
      new_sentence = true;  // a blank line ends a sentence
      continue;
    }
    if (cols[0] == "-DOCSTART-") {
      // A document boundary, and no token; its columns are not counted, as
      // files often give it fewer.
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
    doc.token_end.push_back(static_cast<uint32_t>(doc.text.size()));
    doc.token_line.push_back(line);
    doc.starts_sentence.push_back(new_sentence);
    new_sentence = false;
    for (size_t k = 0; k < tag_columns.size(); k++) {
      const std::string_view tag = cols[cols.size() - static_cast<size_t>(tag_columns[k])];
      token_tag t;
      if (!split_tag(tag, t)) {
        fatal(1, "%s:%d: Error: malformed tag '%s': expected O or a prefix, a hyphen and a type.\n",
              fname, line, std::string(tag).c_str());
      }
      doc.tags[k].push_back(t);
    }
  }
  return doc;
}

uint32_t conll_entities(const conll_document& doc, size_t column, chunk_scheme scheme,
                        name_table& types, text_tags& out, int32_t& first_unfit_line) {
  assert(column < doc.tags.size());
  const chunking c = chunk_tokens(doc.tags[column], doc.starts_sentence, scheme);
  for (const token_chunk& k : c.chunks) {
    const int tagid = types.get(k.type);
    const int32_t line = doc.token_line[k.first];
    out.tags.emplace_back(tagid, false, static_cast<int32_t>(doc.token_start[k.first]), line, 0);
    out.tags.emplace_back(tagid, true, static_cast<int32_t>(doc.token_end[k.last]), line, 0);
  }
  first_unfit_line = c.unfit ? doc.token_line[c.first_unfit] : 0;
  return c.unfit;
}
