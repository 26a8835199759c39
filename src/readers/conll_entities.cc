// The entities of a token-per-line document's tag column, with what the
// warnings about them count.
#include <algorithm>
#include <string>

#include "readers/conll_reader.h"

namespace {

// The first of two lines of one file, where 0 is none.
int32_t first_line(int32_t a, int32_t b) {
  return a == 0 ? b : b == 0 ? a : std::min(a, b);
}

}  // namespace

void column_chunks::add(const column_chunks& o) {
  tagged += o.tagged;
  entities += o.entities;
  unfit += o.unfit;
  first_unfit_line = first_line(first_unfit_line, o.first_unfit_line);
  joined += o.joined;
  first_joined_line = first_line(first_joined_line, o.first_joined_line);
  dropped += o.dropped;
  first_dropped_line = first_line(first_dropped_line, o.first_dropped_line);
  typeless = typeless || o.typeless;
  typed = typed || o.typed;
  first_typed_line = first_line(first_typed_line, o.first_typed_line);
  bioes = bioes || o.bioes;
  first_bioes_line = first_line(first_bioes_line, o.first_bioes_line);
}

column_chunks conll_entities(const conll_document& doc, size_t column, chunk_scheme scheme,
                             name_table& types, text_tags& out) {
  assert(column < doc.tags.size());
  column_chunks r;
  // Every type the column uses counts, in order of first appearance, also
  // one whose tags all fit no entity under a strict scheme: the types must
  // not depend on the scheme. A typeless tag has the O tag's type id, 0.
  const std::vector<token_tag>& tags = doc.tags[column];
  std::vector<int> tagids(static_cast<size_t>(doc.types.size()), -1);
  for (size_t i = 0; i < tags.size(); i++) {
    const token_tag& t = tags[i];
    if (t.prefix == 'O') {
      continue;
    }
    r.tagged++;
    if (!r.bioes && (t.prefix == 'S' || t.prefix == 'E' || t.prefix == 'U' || t.prefix == 'L')) {
      r.bioes = true;
      r.first_bioes_line = doc.token_line[i];
    }
    if (t.type == 0) {
      r.typeless = true;
    } else if (!r.typed) {
      r.typed = true;
      r.first_typed_line = doc.token_line[i];
    }
    if (tagids[t.type] < 0) {
      tagids[t.type] = types.get(t.type == 0 ? std::string_view(typeless_type)
                                             : doc.types.name(static_cast<int>(t.type)));
    }
  }
  const chunking c = chunk_tokens(tags, doc.starts_sentence, scheme);
  r.entities = static_cast<uint32_t>(c.chunks.size());
  r.unfit = c.unfit;
  r.first_unfit_line = c.unfit ? doc.token_line[c.first_unfit] : 0;
  if (scheme == chunk_scheme::conlleval) {
    uint32_t first = 0;
    r.joined = joined_entities(c, tags, first);
    r.first_joined_line = r.joined ? doc.token_line[first] : 0;
    r.dropped = c.dropped;
    r.first_dropped_line = c.dropped ? doc.token_line[c.first_dropped] : 0;
  }
  // Tags in text order: a chunk opens after the chunks that enclose it and
  // closes before them, and the chunks that end before the next one starts
  // close first.
  struct open_chunk {
    const token_chunk* chunk;
    int tagid;
  };
  std::vector<open_chunk> open;
  // Two tags a chunk, room made once: the vector would otherwise be copied
  // as it doubles, each copy touching fresh pages.
  out.tags.reserve(out.tags.size() + 2 * c.chunks.size());
  auto close_before = [&](uint32_t token) {
    while (!open.empty() && open.back().chunk->last < token) {
      const token_chunk& k = *open.back().chunk;
      out.tags.emplace_back(open.back().tagid, true, static_cast<int32_t>(doc.token_end(k.last)),
                            doc.token_line[k.first], 0);
      open.pop_back();
    }
  };
  for (const token_chunk& k : c.chunks) {
    close_before(k.first);
    const int tagid = tagids[k.type];
    out.tags.emplace_back(tagid, false, static_cast<int32_t>(doc.token_start[k.first]),
                          doc.token_line[k.first], 0);
    open.push_back(open_chunk{&k, tagid});
  }
  close_before(UINT32_MAX);
  return r;
}

uint32_t conll_unfit(const conll_document& doc, size_t column, chunk_scheme scheme) {
  return chunk_tokens(doc.tags[column], doc.starts_sentence, scheme).unfit;
}
