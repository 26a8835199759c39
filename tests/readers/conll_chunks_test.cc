// Tests of the tag splitting and the three chunking schemes of
// token-per-line documents, valid sequences and invalid ones.
#include "readers/conll_chunks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Chunks the tags of `line` (space-separated; "|" marks a sentence
// boundary) and renders "TYPE[first-last] ... | unfit N@i | dropped N@i".
std::string chunks(const std::string& line, chunk_scheme scheme) {
  std::istringstream words(line);
  std::vector<std::string> texts;
  std::vector<bool> starts;
  bool boundary = true;
  for (std::string w; words >> w;) {
    if (w == "|") {
      boundary = true;
      continue;
    }
    texts.push_back(w);
    starts.push_back(boundary);
    boundary = false;
  }
  // Type ids as a document gives them: 0 for the O tag's empty type.
  std::vector<std::string> names = {""};
  std::vector<token_tag> tags(texts.size());
  for (size_t i = 0; i < texts.size(); i++) {
    std::string_view type;
    EXPECT_TRUE(split_tag(texts[i], tags[i].prefix, type)) << texts[i];
    const auto known = std::find(names.begin(), names.end(), type);
    tags[i].type = static_cast<uint32_t>(known - names.begin());
    if (known == names.end()) {
      names.emplace_back(type);
    }
  }
  const chunking c = chunk_tokens(tags, starts, scheme);
  std::string out;
  for (const token_chunk& k : c.chunks) {
    out += (out.empty() ? "" : " ") + names[k.type] + "[" + std::to_string(k.first) + "-" +
           std::to_string(k.last) + "]";
  }
  if (c.unfit) {
    out += " | unfit " + std::to_string(c.unfit) + "@" + std::to_string(c.first_unfit);
  }
  if (c.dropped) {
    out += " | dropped " + std::to_string(c.dropped) + "@" + std::to_string(c.first_dropped);
  }
  return out;
}

TEST(ConllTags, Split) {
  char prefix = 0;
  std::string_view type;
  ASSERT_TRUE(split_tag("B-PER", prefix, type));
  EXPECT_EQ('B', prefix);
  EXPECT_EQ("PER", type);
  ASSERT_TRUE(split_tag("I-B-X", prefix, type));  // the first hyphen splits
  EXPECT_EQ("B-X", type);
  ASSERT_TRUE(split_tag("O", prefix, type));
  EXPECT_EQ('O', prefix);
  EXPECT_EQ("", type);
  // A prefix alone has no type, as conlleval reads it.
  for (const char* typeless : {"B", "I-", "]"}) {
    ASSERT_TRUE(split_tag(typeless, prefix, type)) << typeless;
    EXPECT_EQ(typeless[0], prefix);
    EXPECT_EQ("", type);
  }
  for (const char* bad : {"", "o", "BX-PER", "X-PER", "-PER", "O-PER", "PER", "BX", "O-"}) {
    EXPECT_FALSE(split_tag(bad, prefix, type)) << bad;
  }
  EXPECT_FALSE(split_tag(std::string_view("\0-X", 3), prefix, type));
}

// conlleval's rules, one transition at a time and in the sequences that
// show what they imply.
TEST(ConllChunks, Conlleval) {
  const struct {
    const char* tags;
    const char* expected;
  } cases[] = {
      {"B-X I-X I-X O", "X[0-2]"},
      {"B-X B-X", "X[0-0] X[1-1]"},
      {"I-X I-X", "X[0-1]"},  // a leading I opens a chunk
      {"O I-X", "X[1-1]"},
      {"B-X I-Y", "X[0-0] Y[1-1]"},  // another type ends and starts
      {"I-X B-X", "X[0-0] X[1-1]"},
      {"B-X E-X", "X[0-1]"},
      {"E-X E-X", "X[0-0] X[1-1]"},
      {"E-X I-X", "X[0-0] X[1-1]"},
      {"O E-X", "X[1-1]"},
      {"E-X B-X", "X[0-1]"},  // not split
      {"S-X S-X", "X[0-1]"},  // not split
      {"S-X S-Y", "X[0-0] Y[1-1]"},
      {"[-X I-X", "X[0-0]"},  // ends after '[', and I of the same type starts nothing
      // A bracket after its own type starts a chunk but ends none: the open
      // chunk goes on, and both end after the bracket.
      {"B-X ]-X", "X[0-1] X[1-1]"},
      {"I-X [-X I-X", "X[0-1] X[1-1]"},
      {"B-X [-X ]-X", "X[0-1] X[1-1] X[2-2]"},
      {"B-X ]-Y", "X[0-0] Y[1-1]"},
      {"E-X [-X", "X[0-1] X[1-1]"},
      {"S-X ]-X I-X", "X[0-1] X[1-1]"},
      {"[-X [-X", "X[0-0] X[1-1]"},    // after a bracket every chunk ends
      {"B-X | I-X", "X[0-0] X[1-1]"},  // a boundary is an O
      {"B-X | O", "X[0-0]"},
      {"O O", ""},
      {"", ""},
      // A typeless S, U or L after an O starts nothing (the types are the
      // same empty one), nor does what follows it and starts nothing.
      {"S O B E O S", "[2-3] | dropped 2@0"},
      {"O U I B- | L", "[3-3] | dropped 3@1"},
      {"[-X I-X O S", "X[0-0] | dropped 1@3"},  // what a bracket leaves out is not counted
      {"S- S-X", "X[1-1] | dropped 1@0"},
      {"B S", "[0-1]"},  // runs on, as S-X S-X does
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, chunks(c.tags, chunk_scheme::conlleval)) << c.tags;
  }
}

TEST(ConllChunks, Iob2) {
  const struct {
    const char* tags;
    const char* expected;
  } cases[] = {
      {"B-X I-X O B-Y", "X[0-1] Y[3-3]"},    {"B-X B-X", "X[0-0] X[1-1]"},
      {"I-X I-X", " | unfit 2@0"},           {"B-X I-Y I-Y", "X[0-0] | unfit 2@1"},
      {"O B-X | I-X", "X[1-1] | unfit 1@2"}, {"E-X S-X B-X", "X[2-2] | unfit 2@0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, chunks(c.tags, chunk_scheme::iob2)) << c.tags;
  }
}

TEST(ConllChunks, IobesAndBilou) {
  const struct {
    const char* tags;
    const char* expected;
  } cases[] = {
      {"S-X B-Y I-Y E-Y", "X[0-0] Y[1-3]"},  {"U-X B-Y L-Y", "X[0-0] Y[1-2]"},
      {"E-X B-X", " | unfit 2@0"},  // not merged, and both unfit
      {"S-X S-X", "X[0-0] X[1-1]"},          {"B-X I-X O", " | unfit 2@0"},  // never closed
      {"B-X | E-X", " | unfit 2@0"},                                         // a boundary breaks it
      {"B-X I-Y E-Y", " | unfit 3@0"},  // another type breaks it
      {"B-X B-X E-X", "X[1-2] | unfit 1@0"}, {"O I-X", " | unfit 1@1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, chunks(c.tags, chunk_scheme::iobes)) << c.tags;
  }
}

}  // namespace
