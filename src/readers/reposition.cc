// Moving the hypothesis tag positions onto the reference text: one forward
// walk over both bare texts, which may differ only in whitespace.
#include "readers/reposition.h"

#include <algorithm>
#include <cassert>
#include <string>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "readers/scan.h"

namespace {

// The two cursors of the walk, as offsets, with the line of each in its bare
// text. Lines are counted wide: a text of 2^31 - 1 line feeds would take an
// int past its range.
struct walk_state {
  const char* ref;
  const char* hyp;
  const token_lines& ref_tokens;
  const token_lines& hyp_tokens;
  const name_table* types;
  int r = 0;
  int h = 0;
  long long ref_line = 1;
  long long hyp_line = 1;
};

// At most 64 bytes of the text from 8 bytes before the cursor, on one line.
std::string context(const char* text, int cursor_pos) {
  char buffer[5 * 64 + 1];
  escape(buffer, text + (cursor_pos < 8 ? 0 : cursor_pos - 8), 64);
  return buffer;
}

// The line of the cursor at `offset`: the line counted in the text, or that
// of the token the cursor is in or after (the first token's when it is
// before every token).
long long line_at(const token_lines& tokens, int offset, long long text_line) {
  if (!tokens.start || tokens.start->empty()) {
    return tokens.start ? 1 : text_line;
  }
  const std::vector<uint32_t>& start = *tokens.start;
  auto after = std::upper_bound(start.begin(), start.end(), static_cast<uint32_t>(offset));
  const size_t token = after == start.begin() ? 0 : static_cast<size_t>(after - start.begin()) - 1;
  return (*tokens.line)[token];
}

// The names of the tags in the stretch that context() shows ("<LOC>",
// "</LOC", "<LOC attr") that are no declared type: the reader kept them as
// text, and most likely that is why the texts differ.
void add_undeclared_names(const char* text, int cursor_pos, const name_table& types,
                          std::vector<std::string>& names) {
  const char* p = text + (cursor_pos < 8 ? 0 : cursor_pos - 8);
  const char* end = p;
  while (end - p < 64 && *end) {
    end++;
  }
  for (; p < end; p++) {
    if (*p != '<') {
      continue;
    }
    const char* name = p + 1 + (p + 1 < end && p[1] == '/');
    const char* q = name;
    while (q < end && *q != '>' && *q != '<' && !is_space(*q)) {
      q++;
    }
    if (q == name || q == end) {
      continue;  // no name, or one that the stretch cuts
    }
    const std::string found(name, static_cast<size_t>(q - name));
    if (types.find(found) < 0 && std::find(names.begin(), names.end(), found) == names.end()) {
      names.push_back(found);
    }
  }
}

[[noreturn]] void mismatch(const walk_state& w) {
  std::string note;
  if (w.types) {
    std::vector<std::string> names;
    add_undeclared_names(w.ref, w.r, *w.types, names);
    add_undeclared_names(w.hyp, w.h, *w.types, names);
    for (size_t i = 0; i < names.size(); i++) {
      note += (i == 0 ? "  " : i + 1 == names.size() ? " and " : ", ") + shown_name(names[i]);
    }
    if (!names.empty()) {
      note += names.size() == 1 ? " is not a declared type" : " are not declared types";
      note += " (get_all_tags or --types), so " + std::string(names.size() == 1 ? "its" : "their") +
              " tags are read as text.\n";
    }
  }
  fatal(1,
        "Mismatch when aligning ref and hyp, hyp line %lld, ref line %lld:\n"
        "  ref:  [%s]\n"
        "  hyp:  [%s]\n%s",
        line_at(w.hyp_tokens, w.h, w.hyp_line), line_at(w.ref_tokens, w.r, w.ref_line),
        context(w.ref, w.r).c_str(), context(w.hyp, w.h).c_str(), note.c_str());
}

// The bytes that end a run of equal bytes: whitespace and the end of text.
struct stop_table {
  bool stops[256] = {};
  stop_table() {
    for (unsigned char c : {'\0', ' ', '\t', '\n', '\r'}) {
      stops[c] = true;
    }
  }
  bool operator[](unsigned char c) const { return stops[c]; }
};
const stop_table plain_stop;

// Advances until the hypothesis cursor reaches `target` or both texts are
// used up; a negative target is never reached.
void walk_to(walk_state& w, int target) {
  while ((w.ref[w.r] || w.hyp[w.h]) && w.h != target) {
    char a = w.ref[w.r];
    char b = w.hyp[w.h];
    // Reference whitespace goes first, so a tag that follows hypothesis
    // whitespace lands past all the whitespace of the reference.
    if (is_space(a)) {
      w.ref_line += a == '\n';
      w.r++;
    } else if (is_space(b)) {
      w.hyp_line += b == '\n';
      w.h++;
    } else if (a != b) {
      mismatch(w);
    } else {
      // Equal bytes that are neither whitespace nor the end: the walk's
      // commonest step, taken in a run up to the target.
      const unsigned char* ref = reinterpret_cast<const unsigned char*>(w.ref);
      const unsigned char* hyp = reinterpret_cast<const unsigned char*>(w.hyp);
      int r = w.r + 1;
      int h = w.h + 1;
      while (h != target && ref[r] == hyp[h] && !plain_stop[ref[r]]) {
        r++;
        h++;
      }
      w.r = r;
      w.h = h;
    }
  }
}

}  // namespace

void align_and_reposition(const char* ref_data, const char* hyp_data,
                          std::vector<simple_tag>& hyp_tags, const token_lines& ref_lines,
                          const token_lines& hyp_lines, const name_table* types) {
  walk_state w{ref_data, hyp_data, ref_lines, hyp_lines, types};
  for (simple_tag& tag : hyp_tags) {
    walk_to(w, tag.pos);
    // The reader gives positions in order and within the text, so the walk
    // meets each of them, at the latest at the end of the hypothesis.
    assert(w.h == tag.pos);
    tag.pos = w.r;
  }
  walk_to(w, -1);
}
