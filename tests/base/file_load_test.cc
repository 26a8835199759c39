// Loading whole documents into memory.
#include "base/file_load.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace {

TEST(FileLoad, WholeFileWithNulAfterIt) {
  std::string name = temp_file("Jean <pers>Dupont</pers>\n");
  text_buffer text = file_load(name.c_str());
  EXPECT_STREQ("Jean <pers>Dupont</pers>\n", text.data());
  EXPECT_EQ(25u, text.size);
  unlink(name.c_str());
}

TEST(FileLoad, EmptyFileGivesOneNul) {
  std::string name = temp_file("");
  text_buffer text = file_load(name.c_str());
  EXPECT_EQ('\0', text.data()[0]);
  EXPECT_EQ(0u, text.size);
  unlink(name.c_str());
}

TEST(FileLoad, EmbeddedNulIsLoadedWhole) {
  std::string content("ab\0cd", 5);
  std::string name = temp_file(content);
  text_buffer text = file_load(name.c_str());
  EXPECT_EQ(0, std::memcmp(text.data(), content.data(), 5));
  EXPECT_EQ('\0', text.data()[5]);
  EXPECT_EQ(5u, text.size);
  unlink(name.c_str());
}

TEST(FileLoad, ShrinksToTheTextBeforeItsNul) {
  std::string name = temp_file("abcdef");
  text_buffer text = file_load(name.c_str());
  text.data()[3] = '\0';  // as a reader leaves a shortened text
  shrink_to_text(text);
  EXPECT_EQ(3u, text.size);
  EXPECT_STREQ("abc", text.data());
  shrink_to_text(text);  // nothing left to give back
  EXPECT_EQ(3u, text.size);
  unlink(name.c_str());
}

TEST(FileLoad, MissingFile) {
  EXPECT_FATAL(file_load("/nonexistent/ref.txt"), 2,
               "Open /nonexistent/ref.txt: No such file or directory\n");
}

TEST(FileLoad, LongNameIsShownWhole) {
  std::string name = "/nonexistent/" + std::string(300, 'a') + "/" + std::string(400, 'b');
  EXPECT_FATAL(file_load(name.c_str()), 2, "Open " + name + ": No such file or directory\n");
}

TEST(FileLoad, DirectoryCannotBeRead) {
  EXPECT_FATAL(file_load("/tmp"), 2, "Read /tmp: Is a directory\n");
}

TEST(FileLoad, StreamWithoutSize) {
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  ASSERT_EQ(5, write(fds[1], "hello", 5));
  close(fds[1]);
  std::string name = "/dev/fd/" + std::to_string(fds[0]);
  text_buffer text = file_load(name.c_str());
  EXPECT_STREQ("hello", text.data());
  EXPECT_EQ(5u, text.size);
  close(fds[0]);
}

TEST(FileLoad, EmptyStreamAndDevNull) {
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  close(fds[1]);
  std::string name = "/dev/fd/" + std::to_string(fds[0]);
  text_buffer text = file_load(name.c_str());
  EXPECT_STREQ("", text.data());
  EXPECT_EQ(0u, text.size);
  close(fds[0]);
  text_buffer nothing = file_load("/dev/null");
  EXPECT_STREQ("", nothing.data());
}

// A text built past the room made for it keeps what it held; handed on, it
// ends with its NUL and leaves the builder empty.
TEST(TextBuilder, GrowsPastItsRoomAndHandsTheTextOn) {
  text_builder b;
  EXPECT_STREQ("", b.data());
  b.reserve(3);
  b.append("ab");
  b.push_back('c');
  b.append("defgh");
  EXPECT_EQ("abcdefgh", b.view());
  text_buffer t = b.release();
  EXPECT_EQ(8u, t.size);
  EXPECT_STREQ("abcdefgh", t.data());
  EXPECT_TRUE(b.empty());
  EXPECT_STREQ("", b.data());
  b.append("x");
  EXPECT_EQ("x", b.view());
}

TEST(TextBuilder, AnEmptyTextIsItsNul) {
  text_builder b;
  text_buffer t = b.release();
  EXPECT_EQ(0u, t.size);
  ASSERT_NE(nullptr, t.data());
  EXPECT_EQ('\0', t.data()[0]);
}

// Cut short in place, the text ends with its NUL where it now ends (the
// readers that take it on rely on that NUL).
TEST(TextBuilder, TruncatedInPlace) {
  text_builder b;
  b.append("Jean Dupont");
  b.mutable_data()[0] = 'j';
  b.truncate(4);
  EXPECT_EQ("jean", b.view());
  EXPECT_EQ('\0', b.data()[4]);
  EXPECT_STREQ("jean", b.release().data());
}

// An empty append on a builder without a buffer, a builder moved from, and a
// text appended to itself as it grows.
TEST(TextBuilder, EdgesOfItsUse) {
  text_builder b;
  b.append("");
  EXPECT_TRUE(b.empty());
  b.append("abc");
  text_builder c(std::move(b));
  EXPECT_TRUE(b.empty());
  EXPECT_EQ("", b.view());
  b.append("x");
  EXPECT_EQ("x", b.view());
  b = std::move(c);
  EXPECT_EQ("abc", b.view());
  EXPECT_TRUE(c.empty());
  for (int i = 0; i < 4; i++) {
    b.append(b.view());
  }
  EXPECT_EQ(48u, b.size());
  EXPECT_EQ("abcabc", b.view().substr(42));
}

// Pages given back read as zeros; the pages around them keep their bytes.
TEST(TextBuilder, UnusedRoomGivenBack) {
  std::vector<char> v(1 << 20, 'x');
  give_back_pages(v.data() + 100, v.data() + v.size() - 100);
  EXPECT_EQ('x', v[100]);
  EXPECT_EQ('x', v[v.size() - 100]);
  EXPECT_EQ('x', v[v.size() - 1]);
  EXPECT_EQ(0, v[v.size() / 2]);
  text_builder b;
  b.reserve(1 << 20);
  b.append("kept");
  b.give_back_unused();
  EXPECT_EQ("kept", b.view());
  EXPECT_EQ('\0', b.data()[4]);
}

}  // namespace
