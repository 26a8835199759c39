// Entities of token-per-line documents: each token's tag, and the schemes
// that group tagged tokens into entities ("chunks").
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

enum class chunk_scheme {
  conlleval,  // conlleval's start and end rules, valid sequence or not
  iob2,       // B-X then any I-X of the same type
  iobes,      // S-X alone, or B-X, I-X..., E-X (BILOU: U as S, L as E)
};

// The scheme's name in messages, and back from the command line's, in any
// case and by the names other tools use too (bio for iob2; bioes and bilou
// for iobes); false for a name that is none of them.
const char* scheme_name(chunk_scheme scheme);
bool scheme_from_name(std::string_view name, chunk_scheme& scheme);

// A token's tag: "O", or a prefix and a type, the type by an id that the
// document gives its type names (0 for the O tag's empty type, so that it
// differs from every other). Packed to five bytes: a file holds one per
// token and column, the largest part of a token-per-line document in memory.
// Its type is read by value: a reference to it would be misaligned.
#pragma pack(push, 1)
struct token_tag {
  char prefix = 'O';  // 'O', or one of B I E S L U [ ]
  uint32_t type = 0;
};
#pragma pack(pop)
static_assert(sizeof(token_tag) == 5, "one token's tag in five bytes");

// Splits `text` at its first hyphen into a prefix and a type (which may hold
// more hyphens), or reads "O" (prefix 'O', empty type). A prefix alone, or
// with a hyphen and nothing after it, has the empty type too: a typeless
// tag. Returns false for anything else (an unknown prefix, no hyphen after
// the prefix).
bool split_tag(std::string_view text, char& prefix, std::string_view& type);

// Tokens first..last (indices, inclusive) form one entity of type `type`.
struct token_chunk {
  uint32_t first;
  uint32_t last;
  uint32_t type;
};

struct chunking {
  // In order of their first tokens. They are disjoint, but for conlleval's
  // brackets: a `[` or `]` after a non-bracket tag of its type opens a chunk
  // inside the open one, and the two end together.
  std::vector<token_chunk> chunks;
  uint32_t unfit = 0;        // tagged tokens in no entity (strict schemes)
  uint32_t first_unfit = 0;  // the first of them, when there are any
  // Tagged tokens that BIOES tags left in no entity under conlleval's rules:
  // a typeless S, U or L after an O starts none (its type is the O's), nor
  // do the tags after it that start none.
  uint32_t dropped = 0;
  uint32_t first_dropped = 0;
};

// How many times conlleval's rules, in `c`, let an entity go on past a tag
// that ends one in BIOES (S, E, U, L): "S-X S-X" is one entity to them, two
// to BIOES. `first` is then the token of the first such tag.
uint32_t joined_entities(const chunking& c, const std::vector<token_tag>& tags, uint32_t& first);

// Groups the tokens into entities under `scheme`. `starts_sentence[i]` is
// true where token i begins a sentence or a document: the boundary reads as
// an O token before it. A tag that fits no entity under a strict scheme is
// not an error (model outputs are often invalid): it is counted.
chunking chunk_tokens(const std::vector<token_tag>& tags, const std::vector<bool>& starts_sentence,
                      chunk_scheme scheme);
