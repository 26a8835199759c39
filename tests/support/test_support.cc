#include "support/test_support.h"

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
