#include "base/escape.h"

#include <cstdio>
#include <vector>

void escape(char* dest, const char* src, int size) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  char* d = dest;
  for (int i = 0; i < size && s[i]; i++) {
    unsigned char c = s[i];
    if (c == '\n') {
      *d++ = '\\';
      *d++ = 'n';
    } else if (c < 0x20) {
      d += snprintf(d, 6, "\\0x%02x", c);
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
    if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20) {
      char code[6];
      snprintf(code, sizeof code, "\\0x%02x", c);
      out += code;
    } else {
      out += ch;
    }
  }
}
