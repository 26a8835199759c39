#include "support/test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

std::vector<char> doc_buffer(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

std::string temp_file(const std::string& content) {
  char name[] = "/tmp/orvane_test_XXXXXX";
  int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(static_cast<ssize_t>(content.size()), write(fd, content.data(), content.size()));
  close(fd);
  return name;
}

name_table make_types(const std::vector<std::string>& names) {
  name_table types;
  for (const std::string& name : names) {
    types.get(name);
  }
  return types;
}

std::string shown_type(int tagid, const name_table& types) {
  return types.has(tagid) ? types.name(tagid) : "?" + std::to_string(tagid);
}

std::string capture(const std::function<void(FILE*)>& print) {
  char* text = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  EXPECT_NE(nullptr, out);
  print(out);
  fclose(out);
  std::string captured(text, size);
  free(text);
  return captured;
}

long test_size(long small, long full) {
  const char* value = getenv("ORVANE_FULL_TESTS");
  return value && std::strcmp(value, "0") != 0 && *value ? full : small;
}

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
