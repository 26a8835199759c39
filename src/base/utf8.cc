#include "base/utf8.h"

size_t utf8_sequence(std::string_view s) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  if (s.empty()) {
    return 0;
  }
  const unsigned char b = byte(0);
  if (b < 0x80) {
    return 1;
  }
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    lo = b == 0xE0 ? 0xA0 : 0x80;
    hi = b == 0xED ? 0x9F : 0xBF;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    lo = b == 0xF0 ? 0x90 : 0x80;
    hi = b == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (s.size() < n || byte(1) < lo || byte(1) > hi) {
    return 0;
  }
  for (size_t i = 2; i < n; i++) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) {
      return 0;
    }
  }
  return n;
}

bool is_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const size_t n = utf8_sequence(s.substr(i));
    if (n == 0) {
      return false;
    }
    i += n;
  }
  return true;
}

std::string repaired_utf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t n = utf8_sequence(s.substr(i));
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      i++;
    } else {
      out.append(s.data() + i, n);
      i += n;
    }
  }
  return out;
}
