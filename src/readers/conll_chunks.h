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

// The scheme's name on the command line and in messages, and back; false
// for a name that is none of them.
const char* scheme_name(chunk_scheme scheme);
bool scheme_from_name(std::string_view name, chunk_scheme& scheme);

// A token's tag: "O", or a prefix, a hyphen and a type.
struct token_tag {
  char prefix = 'O';      // 'O', or one of B I E S L U [ ]
  std::string_view type;  // empty for O; may hold more hyphens
};

// Splits `text` at its first hyphen into a prefix and a non-empty type, or
// reads "O". Returns false for anything else (an unknown prefix, no type).
bool split_tag(std::string_view text, token_tag& tag);

// Tokens first..last (indices, inclusive) form one entity of `type`.
struct token_chunk {
  uint32_t first;
  uint32_t last;
  std::string_view type;
};

struct chunking {
  std::vector<token_chunk> chunks;  // in token order
  uint32_t unfit = 0;               // tagged tokens in no entity (strict schemes)
  uint32_t first_unfit = 0;         // the first of them, when there are any
};

// Groups the tokens into entities under `scheme`. `starts_sentence[i]` is
// true where token i begins a sentence or a document: the boundary reads as
// an O token before it. A tag that fits no entity under a strict scheme is
// not an error (model outputs are often invalid): it is counted.
chunking chunk_tokens(const std::vector<token_tag>& tags, const std::vector<bool>& starts_sentence,
                      chunk_scheme scheme);
