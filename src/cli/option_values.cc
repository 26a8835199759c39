#include "cli/option_values.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

int expected_count_value(const char* text) {
  double v = strtod(text, nullptr);
  if (!(v == v)) {
    v = 0;
  }
  return v >= 2147483647.0    ? 2147483647
         : v <= -2147483648.0 ? -2147483647 - 1
                              : static_cast<int>(v);
}

bool split_type_names(const std::string& list, std::vector<std::string>& names) {
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    size_t end = comma == std::string::npos ? list.size() : comma;
    size_t first = start;
    while (first < end && (list[first] == ' ' || list[first] == '\t')) {
      first++;
    }
    while (end > first && (list[end - 1] == ' ' || list[end - 1] == '\t')) {
      end--;
    }
    if (end == first) {
      return false;
    }
    names.push_back(list.substr(first, end - first));
    if (comma == std::string::npos) {
      return true;
    }
    start = comma + 1;
  }
}

bool column_pair(const char* text, int& reference, int& hypothesis) {
  int* columns[2] = {&reference, &hypothesis};
  const char* p = text;
  for (int k = 0; k < 2; k++) {
    const bool negative = *p == '-';
    p += negative;
    if (!isdigit(static_cast<unsigned char>(*p))) {
      return false;
    }
    long n = 0;
    while (isdigit(static_cast<unsigned char>(*p)) && n <= 1000) {
      n = 10 * n + (*p++ - '0');
    }
    if (n > 1000 || (negative ? n == 0 : n < 2) || *p != (k == 0 ? ',' : '\0')) {
      return false;
    }
    *columns[k] = static_cast<int>(negative ? -n : n);
    p++;
  }
  return true;
}

bool whole_number(const char* text, unsigned long long& n) {
  char* end = nullptr;
  errno = 0;
  n = strtoull(text, &end, 10);
  return *text && !*end && errno == 0 && text[0] != '-' && text[0] != '+' &&
         !isspace(static_cast<unsigned char>(*text));
}
