#include "base/escape.h"

#include <cstdio>
#include <vector>

namespace {

// A line feed as "\n", another control byte as "\0xhh": `out` takes at
// most 5 bytes and a NUL. Returns how many it wrote.
int render_control(unsigned char c, char* out) {
  if (c == '\n') {
    out[0] = '\\';
    out[1] = 'n';
    out[2] = '\0';
    return 2;
  }
  return snprintf(out, 6, "\\0x%02x", c);
}

}  // namespace

void escape(char* dest, const char* src, int size) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  char* d = dest;
  for (int i = 0; i < size && s[i]; i++) {
    unsigned char c = s[i];
    if (c < 0x20) {
      d += render_control(c, d);
    } else if (c == ' ' && i > 0 && s[i - 1] == ' ') {
      // A run of spaces shows as one.
    } else {
      *d++ = static_cast<char>(c);
    }
  }
  *d = '\0';
}

std::string escape_string(const char* src, int size) {
  if (size <= 0) {
    return std::string();
  }
  std::vector<char> buffer(5 * static_cast<size_t>(size) + 1);
  escape(buffer.data(), src, size);
  return std::string(buffer.data());
}

void append_escaped_controls(std::string& out, std::string_view text) {
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20) {
      char code[6];
      out.append(code, static_cast<size_t>(render_control(c, code)));
    } else {
      out += ch;
    }
  }
}

std::string shown_name(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  append_escaped_controls(out, name);
  return out;
}
