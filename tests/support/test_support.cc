#include "support/test_support.h"

#include <unistd.h>

#include <cstdlib>

#include "description/vocabulary.h"

std::vector<char> doc_buffer(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

void set_types(const std::vector<std::string>& names) {
  reset_vocabularies();
  for (const std::string& name : names) {
    tag_get(name);
  }
}

std::string temp_file(const std::string& content) {
  char name[] = "/tmp/orvane_test_XXXXXX";
  int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(static_cast<ssize_t>(content.size()), write(fd, content.data(), content.size()));
  close(fd);
  return name;
}
