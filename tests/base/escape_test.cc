// Rendering of text stretches on one printable line.
#include "base/escape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string esc(const std::string& s, int size) {
  std::vector<char> buffer(5 * (s.size() + 1) + 1, 'X');
  escape(buffer.data(), s.c_str(), size);
  return buffer.data();
}

TEST(Escape, Renderings) {
  struct {
    std::string src;
    int size;
    std::string expected;
  } cases[] = {
      {"a\tb\n  c", 100, "a\\0x09b\\n c"},
      {"x   y", 100, "x y"},
      {" \t ", 100, " \\0x09 "},
      {"\r\x01\x1f", 100, "\\0x0d\\0x01\\0x1f"},
      {"abcdefgh", 5, "abcde"},
      {"abc", 5, "abc"},
      {"abc", 0, ""},
      {"abc", -3, ""},
      {"caf\xc3\xa9 \x80\xff", 100, "caf\xc3\xa9 \x80\xff"},
      {"\n ", 100, "\\n "},
      {"  lead", 100, " lead"},
      {"~\x7f", 100, "~\x7f"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, esc(c.src, c.size)) << "source [" << c.src << "] size " << c.size;
  }
}

TEST(Escape, StopsAtNulWithinSize) {
  const char src[] = {'a', ' ', '\0', 'b'};
  char dest[5 * 4 + 1];
  escape(dest, src, 4);
  EXPECT_STREQ("a ", dest);
}

TEST(Escape, WorstCaseFillsTheWholeBuffer) {
  std::string src(10, '\x01');
  std::vector<char> buffer(5 * 10 + 1);
  escape(buffer.data(), src.c_str(), 10);
  EXPECT_EQ(50u, std::string(buffer.data()).size());
  EXPECT_EQ(std::string("\\0x01\\0x01"), std::string(buffer.data()).substr(0, 10));
}

TEST(Escape, StringForm) {
  EXPECT_EQ("a\\nb", escape_string("a\nb", 3));
  EXPECT_EQ("", escape_string("abc", 0));
}

}  // namespace

TEST(Escape, ControlsOnly) {
  // Attribute text: controls rendered as in entity texts, spaces all kept.
  std::string out = "k=";
  append_escaped_controls(out, std::string_view("a  b\nD: x\x1b[31m\r\t\x7f\xc3\xa9", 19));
  EXPECT_EQ("k=a  b\\nD: x\\0x1b[31m\\0x0d\\0x09\x7f\xc3\xa9", out);
  out.clear();
  append_escaped_controls(out, std::string_view("\0", 1));
  EXPECT_EQ("\\0x00", out);
}
