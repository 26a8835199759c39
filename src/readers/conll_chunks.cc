#include "readers/conll_chunks.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstring>

namespace {

// conlleval's endOfChunk: a chunk ends between `p` (the previous token, or
// the O of a boundary) and `c`.
bool chunk_ends(const token_tag& p, const token_tag& c) {
  const char a = p.prefix;
  const char b = c.prefix;
  if ((a == 'B' && (b == 'B' || b == 'O')) || (a == 'I' && (b == 'B' || b == 'O')) ||
      (a == 'E' && (b == 'E' || b == 'I' || b == 'O'))) {
    return true;
  }
  if (a != 'O' && p.type != c.type) {
    return true;
  }
  // A typeless tag has the O tag's empty type, so that to conlleval an O
  // does not end its S, U or L: its chunk would run on over the O tokens
  // after it. The chunks found are the same if it ends there (their starts
  // are what is counted), and the entity is what a reader takes it for;
  // only which chunks are correct may differ from conlleval's count, which
  // its one flag of a correct chunk running on gets wrong here anyway.
  if (a != 'O' && p.type == 0 && b == 'O') {
    return true;
  }
  return a == '[' || a == ']';
}

// conlleval's startOfChunk: a chunk starts at `c`, after `p`.
bool chunk_starts(const token_tag& p, const token_tag& c) {
  const char a = p.prefix;
  const char b = c.prefix;
  if ((b == 'B' && (a == 'B' || a == 'I' || a == 'O')) || (a == 'O' && (b == 'I' || b == 'E')) ||
      (a == 'E' && (b == 'E' || b == 'I'))) {
    return true;
  }
  if (b != 'O' && p.type != c.type) {
    return true;
  }
  return b == '[' || b == ']';
}

chunking by_conlleval(const std::vector<token_tag>& tags, const std::vector<bool>& starts) {
  chunking out;
  const token_tag outside;
  // The chunks that have started and not ended. A start ends nothing by
  // itself: a `[` or `]` after a non-bracket tag of its own type starts a
  // chunk inside the open one, and as any tag after a bracket ends every
  // chunk, both end at the bracket; so at most two are open.
  uint32_t open[2];
  size_t open_count = 0;
  bool dropping = false;    // the previous token was a tagged one in no chunk
  bool from_bioes = false;  // and the run of such tokens began at an S, U or L

  for (uint32_t i = 0; i < tags.size(); i++) {
    const token_tag& prev = i == 0 || starts[i] ? outside : tags[i - 1];
    const token_tag& cur = tags[i];
    // A boundary reads as an O token, which ends any chunk.
    if (starts[i] || (open_count > 0 && chunk_ends(prev, cur))) {
      open_count = 0;
    }
    for (size_t k = 0; k < open_count; k++) {
      out.chunks[open[k]].last = i;
    }
    if (chunk_starts(prev, cur)) {
      assert(open_count < 2 && "a third open chunk: the previous token was no bracket");
      open[open_count++] = static_cast<uint32_t>(out.chunks.size());
      out.chunks.push_back(token_chunk{i, i, cur.type});
    }
    // Tokens in no chunk, counted where their run begins with a BIOES tag
    // that starts nothing (a bracket's can be left out too: not counted).
    const bool in_none = open_count == 0 && cur.prefix != 'O';
    if (in_none && (!dropping || starts[i])) {
      from_bioes = cur.prefix == 'S' || cur.prefix == 'U' || cur.prefix == 'L';
    }
    if (in_none && from_bioes && out.dropped++ == 0) {
      out.first_dropped = i;
    }
    dropping = in_none;
  }
  return out;
}

void count_unfit(chunking& out, uint32_t first, uint32_t count) {
  if (count == 0) {
    return;
  }
  if (out.unfit == 0 || first < out.first_unfit) {
    out.first_unfit = first;
  }
  out.unfit += count;
}

chunking by_iob2(const std::vector<token_tag>& tags, const std::vector<bool>& starts) {
  chunking out;
  bool open = false;
  for (uint32_t i = 0; i < tags.size(); i++) {
    const token_tag& cur = tags[i];
    if (starts[i]) {
      open = false;
    }
    if (cur.prefix == 'B') {
      out.chunks.push_back(token_chunk{i, i, cur.type});
      open = true;
    } else if (cur.prefix == 'I' && open && out.chunks.back().type == cur.type) {
      out.chunks.back().last = i;
    } else {
      open = false;
      if (cur.prefix != 'O') {
        count_unfit(out, i, 1);
      }
    }
  }
  return out;
}

chunking by_iobes(const std::vector<token_tag>& tags, const std::vector<bool>& starts) {
  chunking out;
  bool pending = false;  // a B-X seen, its E-X not yet
  token_chunk partial{0, 0, 0};
  auto drop_pending = [&] {
    if (pending) {
      count_unfit(out, partial.first, partial.last - partial.first + 1);
      pending = false;
    }
  };
  for (uint32_t i = 0; i < tags.size(); i++) {
    if (starts[i]) {
      drop_pending();
    }
    const token_tag& cur = tags[i];
    const char prefix = cur.prefix == 'U' ? 'S' : cur.prefix == 'L' ? 'E' : cur.prefix;
    const bool continues = pending && partial.type == cur.type;
    if (prefix == 'I' && continues) {
      partial.last = i;
    } else if (prefix == 'E' && continues) {
      partial.last = i;
      out.chunks.push_back(partial);
      pending = false;
    } else {
      drop_pending();
      if (prefix == 'S') {
        out.chunks.push_back(token_chunk{i, i, cur.type});
      } else if (prefix == 'B') {
        partial = token_chunk{i, i, cur.type};
        pending = true;
      } else if (prefix != 'O') {
        count_unfit(out, i, 1);
      }
    }
  }
  drop_pending();
  return out;
}

}  // namespace

const char* scheme_name(chunk_scheme scheme) {
  switch (scheme) {
    case chunk_scheme::conlleval:
      return "conlleval";
    case chunk_scheme::iob2:
      return "iob2";
    case chunk_scheme::iobes:
      return "iobes";
  }
  return "?";
}

bool scheme_from_name(std::string_view name, chunk_scheme& scheme) {
  // The names other tools give the same rules.
  static const struct {
    const char* name;
    chunk_scheme scheme;
  } names[] = {{"conlleval", chunk_scheme::conlleval},
               {"iob2", chunk_scheme::iob2},
               {"bio", chunk_scheme::iob2},
               {"iobes", chunk_scheme::iobes},
               {"bioes", chunk_scheme::iobes},
               {"bilou", chunk_scheme::iobes}};
  for (const auto& known : names) {
    const std::string_view known_name = known.name;
    if (name.size() == known_name.size() &&
        std::equal(name.begin(), name.end(), known_name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
      scheme = known.scheme;
      return true;
    }
  }
  return false;
}

bool split_tag(std::string_view text, char& prefix, std::string_view& type) {
  if (text == "O") {
    prefix = 'O';
    type = std::string_view();
    return true;
  }
  if (text.empty() || text[0] == '\0' || !std::strchr("BIESLU[]", text[0]) ||
      (text.size() > 1 && text[1] != '-')) {
    return false;
  }
  // A prefix alone ("B", or "B-") has no type, as in data sets of one kind
  // of entity; it reads as the O tag's empty type does, as conlleval reads it.
  prefix = text[0];
  type = text.size() > 2 ? text.substr(2) : std::string_view();
  return true;
}

uint32_t joined_entities(const chunking& c, const std::vector<token_tag>& tags, uint32_t& first) {
  uint32_t joined = 0;
  for (const token_chunk& k : c.chunks) {
    for (uint32_t i = k.first; i < k.last; i++) {
      const char p = tags[i].prefix;
      if (p == 'S' || p == 'E' || p == 'U' || p == 'L') {
        if (joined == 0 || i < first) {
          first = i;
        }
        joined++;
      }
    }
  }
  return joined;
}

chunking chunk_tokens(const std::vector<token_tag>& tags, const std::vector<bool>& starts_sentence,
                      chunk_scheme scheme) {
  assert(tags.size() == starts_sentence.size());
  switch (scheme) {
    case chunk_scheme::iob2:
      return by_iob2(tags, starts_sentence);
    case chunk_scheme::iobes:
      return by_iobes(tags, starts_sentence);
    case chunk_scheme::conlleval:
      break;
  }
  return by_conlleval(tags, starts_sentence);
}
