// The annotated text reader: removes the inline tags named by entity types
// from a document, in place, and lists them with their places.
#include "readers/text_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/fatal.h"
#include "model/vocabulary.h"
#include "readers/document_bytes.h"
#include "readers/scan.h"

namespace {

// What a '<' not followed by a lowercase letter needs to be a tag's start:
// the bytes that begin a declared name, and the longest name, so that a run
// of such '<' costs no more than that length each.
struct other_names {
  bool may_start[256] = {};
  size_t longest = 0;

  explicit other_names(const name_table& types) {
    for (int i = 0; i < types.size(); i++) {
      const std::string_view name = types.name(i);
      if (!name.empty()) {
        may_start[static_cast<unsigned char>(name[0])] = true;
        longest = std::max(longest, name.size());
      }
    }
  }
};

// '<' followed by a lowercase letter or '/' may begin a tag, whose name is
// then looked up; so may '<' followed by a declared type's name, whatever its
// first byte ("<PER>" where PER is a type). Anything else ("< pers", "<!--",
// "<1>", "<Foo") is plain text from its '<' on.
bool may_open_tag(const char* p, const other_names& others, const name_table& types) {
  if ((p[1] >= 'a' && p[1] <= 'z') || p[1] == '/') {
    return true;
  }
  if (!others.may_start[static_cast<unsigned char>(p[1])]) {
    return false;
  }
  size_t n = 0;
  while (n <= others.longest && p[1 + n] && p[1 + n] != '>' && !is_space(p[1 + n])) {
    n++;
  }
  return n <= others.longest && types.find(std::string_view(p + 1, n)) >= 0;
}

// Reads the attributes of a known tag up to its '>' or the end of the text
// into `pool`; returns how many.
uint32_t read_attributes(cursor& c, attribute_pool& pool, const char* fname) {
  uint32_t count = 0;
  while (*c.p && *c.p != '>') {
    skip_space(c);
    std::string_view name = read_word(c, "=>");
    skip_space(c);
    if (!*c.p || *c.p == '>') {
      if (!name.empty()) {
        pool.add(name, std::string_view());
        count++;
      }
      return count;
    }
    if (name.empty()) {
      fatal_at(fname, line_of(c), c.col, "Error: Malformed tag, stray '='.\n");
    }
    if (*c.p != '=') {
      // A name without a value; this byte starts the next attribute.
      pool.add(name, std::string_view());
      count++;
      continue;
    }
    step(c);
    skip_space(c);
    if (!*c.p || *c.p == '>') {
      return count;
    }
    std::string_view value;
    if (*c.p == '"') {
      if (!read_quoted(c, value)) {
        fatal_at(fname, line_of(c), c.col, "Error: Malformed tag, missing closing quote.\n");
      }
    } else {
      value = read_word(c, ">");
    }
    pool.add(name, value);
    count++;
  }
  return count;
}

}  // namespace

void xml_extract_tags(text_tags& doc, char* data, size_t size, const char* fname,
                      const name_table& types) {
  const char* end = data + size;
  cursor c = document_start(data, size, fname);
  const other_names others(types);
  char* q = data;
  while (c.p < end) {
    if (*c.p != '<') {
      copy_text(c, end, q);
      continue;
    }
    if (!may_open_tag(c.p, others, types)) {
      *q++ = *c.p;
      step(c);
      continue;
    }
    const char* start = c.p;
    int line = line_of(c);
    int col = c.col;
    step(c);
    bool closing = false;
    if (*c.p == '/') {
      closing = true;
      step(c);
      skip_space(c);
    }
    int tagid = types.find(read_word(c, ">"));
    if (tagid < 0) {
      // Not a tag after all: keep what was read as text and go on after the
      // name, so the rest of it is examined like any text.
      size_t kept = static_cast<size_t>(c.p - start);
      std::memmove(q, start, kept);
      q += kept;
      continue;
    }
    const uint32_t first = doc.attributes.size();
    const uint32_t count = read_attributes(c, doc.attributes, fname);
    if (!*c.p) {
      fatal_at(fname, line_of(c), c.col, "Error: Malformed tag, missing '>'.\n");
    }
    step(c);
    doc.tags.emplace_back(tagid, closing, static_cast<int32_t>(q - data), line, col, first, count);
  }
  *q = '\0';
}
