// The aref reader: removes the empty `annotation` markers from a document, in
// place, and lists them with their places and attributes.
#include "readers/aref_reader.h"

#include <climits>
#include <cstddef>
#include <cstring>
#include <string>

#include "base/escape.h"
#include "base/fatal.h"
#include "model/vocabulary.h"
#include "readers/document_bytes.h"
#include "readers/scan.h"

namespace {

// Where the marker being read begins (every message of a marker points at
// its '<'), and the types its `type` attribute may name.
struct marker_place {
  const char* fname;
  int line;
  int col;
  const name_table& types;
};

struct marker_state {
  aref_tag tag;
  bool has_id = false;
  bool has_type = false;
};

bool at_marker_end(const char* p) {
  return p[0] == '/' && p[1] == '>';
}

bool is_annotation(std::string_view name) {
  return name == "annotation";
}

// The whitespace that strtol skips before a number (the C locale's isspace).
bool is_number_space(char c) {
  return is_space(c) || c == '\v' || c == '\f';
}

// Reads `value` as strtol in base 10 does (leading whitespace, optional sign,
// digits up to the first other byte, 0 without digits), but fails instead of
// wrapping when the number leaves the int range.
bool read_int(std::string_view value, int& out) {
  size_t i = 0;
  while (i < value.size() && is_number_space(value[i])) {
    i++;
  }
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    i++;
  }
  long long magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; i++) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > -static_cast<long long>(INT_MIN)) {
      return false;
    }
  }
  long long number = negative ? -magnitude : magnitude;
  if (number > INT_MAX) {
    return false;
  }
  out = static_cast<int>(number);
  return true;
}

int int_value(std::string_view name, std::string_view value, const marker_place& at) {
  int number = 0;
  if (!read_int(value, number)) {
    fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, %s value %s out of range.\n",
             shown_name(name).c_str(), shown_name(value).c_str());
  }
  return number;
}

void apply_attribute(marker_state& m, std::string_view name, std::string_view value,
                     const marker_place& at) {
  if (name == "id") {
    if (m.has_id) {
      fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, duplicate id.\n");
    }
    m.has_id = true;
    m.tag.id = int_value(name, value, at);
  } else if (name == "type") {
    if (m.has_type) {
      fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, duplicate type.\n");
    }
    m.has_type = true;
    m.tag.tagid = at.types.find(value);
    if (m.tag.tagid < 0) {
      fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, unknown type %s.\n",
               shown_name(value).c_str());
    }
  } else if (name == "ftype") {
    if (value != "s" && value != "e" && value != "se") {
      fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, unknown ftype %s.\n",
               shown_name(value).c_str());
    }
    m.tag.opening = value != "e";
    m.tag.closing = value != "s";
  } else if (name == "depth") {
    m.tag.depth = int_value(name, value, at);
  } else if (name == "parent") {
    m.tag.parent = int_value(name, value, at);
  } else {
    fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, unknown attribute type %s.\n",
             shown_name(name).c_str());
  }
}

[[noreturn]] void missing_end(const marker_place& at) {
  fatal_at(at.fname, at.line, at.col, "Error: Malformed annotation, missing '/>'.\n");
}

// Reads the attributes of a marker whose name has just been read, and moves
// past its "/>".
aref_tag read_marker(cursor& c, const marker_place& at) {
  marker_state m;
  if (!*c.p) {
    missing_end(at);
  }
  while (!at_marker_end(c.p)) {
    skip_space(c);
    std::string_view name = read_word(c, "/=>");
    skip_space(c);
    if (!*c.p || at_marker_end(c.p)) {
      // A name without a value at the very end is dropped.
      break;
    }
    if (name.empty()) {
      fatal_at(at.fname, at.line, at.col, "Error: Malformed tag, stray '='.\n");
    }
    std::string_view value;
    if (*c.p == '=') {
      step(c);
      skip_space(c);
      if (!*c.p || at_marker_end(c.p)) {
        break;
      }
      if (*c.p == '"') {
        if (!read_quoted(c, value)) {
          fatal_at(at.fname, at.line, at.col,
                   "Error: Malformed annotation, missing closing quote.\n");
        }
      } else {
        value = read_word(c, "/>");
      }
    }
    apply_attribute(m, name, value, at);
    if (!*c.p) {
      missing_end(at);
    }
  }
  if (!*c.p) {
    missing_end(at);
  }
  step(c);
  step(c);
  return m.tag;
}

}  // namespace

void aref_extract_tags(std::vector<aref_tag>& tags, char* data, size_t size, const char* fname,
                       const name_table& types) {
  const char* end = data + size;
  cursor c = document_start(data, size, fname);
  char* q = data;
  while (c.p < end) {
    if (*c.p != '<') {
      copy_text(c, end, q);
      continue;
    }
    const char* start = c.p;
    marker_place at{fname, line_of(c), c.col, types};
    step(c);
    skip_space(c);
    if (*c.p == '/') {
      step(c);
      skip_space(c);
    }
    if (!is_annotation(read_word(c, ">"))) {
      // Another element: what was read stays as text, and the rest of it is
      // examined like any text.
      size_t kept = static_cast<size_t>(c.p - start);
      std::memmove(q, start, kept);
      q += kept;
      continue;
    }
    aref_tag tag = read_marker(c, at);
    tag.pos = static_cast<int>(q - data);
    tag.line = at.line;
    tag.col = at.col;
    tags.push_back(tag);
  }
  *q = '\0';
}
