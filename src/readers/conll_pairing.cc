// Two token-per-line files of one text: their "-DOCSTART-" lines paired by
// place, and their tokens compared one for one.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "readers/conll_reader.h"

namespace {

const char* const docstart_token = "-DOCSTART-";

// A document built token by token from others' tokens.
class document_builder {
 public:
  // `from`'s types, columns and warnings go to the new document.
  // `added`: how many "-DOCSTART-" tokens the pairing adds to it.
  document_builder(conll_document& from, size_t added) : from_(from) {
    out_.types = std::move(from.types);
    out_.columns = from.columns;
    out_.tagged_docstarts = from.tagged_docstarts;
    out_.first_tagged_docstart = from.first_tagged_docstart;
    out_.first_docstart_tag = std::move(from.first_docstart_tag);
    out_.compared = from.compared;
    out_.tags.resize(from.tags.size());
    // Room for the source's tokens and those added, made once (each added
    // token comes with its separator).
    const size_t tokens = from.token_start.size() + added;
    out_.text.reserve(from.text.size() + added * (std::strlen(docstart_token) + 1));
    out_.token_start.reserve(tokens);
    out_.token_line.reserve(tokens);
    for (std::vector<token_tag>& column : out_.tags) {
      column.reserve(tokens);
    }
  }

  // The next token begins a sentence: a boundary comes before it.
  void boundary() { boundary_ = true; }

  // Token i of the source, a "-DOCSTART-" token among them.
  void copy(size_t i, bool docstart) {
    const uint32_t start = from_.token_start[i];
    if (docstart) {
      out_.docstarts.push_back(docstart_line{token_count(), from_.token_line[i], true});
    }
    emit(from_.text.view().substr(start, from_.token_end(i) - start), from_.token_line[i],
         from_.starts_sentence[i]);
    for (size_t k = 0; k < from_.tags.size(); k++) {
      out_.tags[k].push_back(from_.tags[k][i]);
    }
  }

  // A "-DOCSTART-" line of the source (token i) read as a boundary.
  void drop(size_t i) {
    out_.docstarts.push_back(docstart_line{token_count(), from_.token_line[i], false});
    boundary_ = true;
  }

  // An O-tagged "-DOCSTART-" token that the source lacks, the counterpart of
  // the other file's, on the line of the source's token `next` (or its last).
  void insert(size_t next) {
    const size_t count = from_.token_start.size();
    const int32_t line = next < count ? from_.token_line[next]
                         : count      ? from_.token_line[count - 1]
                                      : 1;
    out_.docstarts.push_back(docstart_line{token_count(), line, true, true});
    emit(docstart_token, line, true);
    for (std::vector<token_tag>& column : out_.tags) {
      column.push_back(token_tag());
    }
  }

  conll_document take() { return std::move(out_); }

 private:
  uint32_t token_count() const { return static_cast<uint32_t>(out_.token_start.size()); }

  void emit(std::string_view token, int32_t line, bool starts) {
    starts = starts || boundary_ || out_.text.empty();
    boundary_ = false;
    out_.append_token(token, line, starts);
  }

  conll_document& from_;
  conll_document out_;
  bool boundary_ = false;
};

// The same document rewritten in place, for a pairing that only keeps or
// drops its tokens (adds none): each kept token moves down to its place,
// never past a token still to be read, so that the document's memory is
// not held twice.
class document_compactor {
 public:
  explicit document_compactor(conll_document& doc) : doc_(doc) {}

  void boundary() { boundary_ = true; }

  void copy(size_t i, bool docstart) {
    assert(kept_ <= i);
    if (docstart) {
      docstarts_.push_back(docstart_line{kept_, doc_.token_line[i], true});
    }
    const bool starts = doc_.starts_sentence[i] || boundary_ || kept_ == 0;
    boundary_ = false;
    const uint32_t start = doc_.token_start[i];
    const uint32_t size = doc_.token_end(i) - start;
    if (kept_ > 0) {
      doc_.text.mutable_data()[text_size_++] = starts ? '\n' : ' ';
    }
    std::memmove(doc_.text.mutable_data() + text_size_, doc_.text.mutable_data() + start, size);
    doc_.token_start[kept_] = static_cast<uint32_t>(text_size_);
    text_size_ += size;
    doc_.token_line[kept_] = doc_.token_line[i];
    doc_.starts_sentence[kept_] = starts;
    for (std::vector<token_tag>& column : doc_.tags) {
      column[kept_] = column[i];
    }
    kept_++;
  }

  void drop(size_t i) {
    docstarts_.push_back(docstart_line{kept_, doc_.token_line[i], false});
    boundary_ = true;
  }

  void insert(size_t) { assert(false && "a pairing that adds tokens is built anew"); }

  void finish() {
    doc_.text.truncate(text_size_);
    doc_.token_start.resize(kept_);
    doc_.token_line.resize(kept_);
    doc_.starts_sentence.resize(kept_);
    for (std::vector<token_tag>& column : doc_.tags) {
      column.resize(kept_);
    }
    doc_.docstarts = std::move(docstarts_);
  }

 private:
  conll_document& doc_;
  std::vector<docstart_line> docstarts_;
  uint32_t kept_ = 0;
  size_t text_size_ = 0;
  bool boundary_ = false;
};

// Counts the tokens a pairing would add, changing nothing.
struct added_tokens {
  size_t count = 0;
  void boundary() {}
  void copy(size_t, bool) {}
  void drop(size_t) {}
  void insert(size_t) { count++; }
};

// Which of a document's tokens are "-DOCSTART-" lines.
std::vector<bool> docstart_tokens_of(const conll_document& doc) {
  std::vector<bool> is_docstart(doc.token_start.size());
  for (const docstart_line& d : doc.docstarts) {
    assert(d.is_token && "read with all_docstarts");
    is_docstart[d.token] = true;
  }
  return is_docstart;
}

bool tagged_token(const conll_document& doc, size_t i) {
  for (const std::vector<token_tag>& column : doc.tags) {
    if (column[i].prefix != 'O') {
      return true;
    }
  }
  return false;
}

// Walks the two documents' tokens, telling each side what becomes of its
// tokens and "-DOCSTART-" lines.
template <typename Side>
void walk(const conll_document& ref, const conll_document& hyp, const std::vector<bool>& in_ref,
          const std::vector<bool>& in_hyp, bool tagged_tokens, Side& r, Side& h) {
  const size_t nr = in_ref.size();
  const size_t nh = in_hyp.size();
  size_t i = 0, j = 0;
  while (i < nr || j < nh) {
    const bool at_ref = i < nr && in_ref[i];
    const bool at_hyp = j < nh && in_hyp[j];
    if (at_ref && at_hyp) {
      // A line of both: a token of both where either tags it.
      if (tagged_tokens && (tagged_token(ref, i) || tagged_token(hyp, j))) {
        r.copy(i, true);
        h.copy(j, true);
      } else {
        r.drop(i);
        h.drop(j);
      }
      i++;
      j++;
    } else if (at_ref) {
      // The reference's documents are the documents: its line ends an
      // entity of the hypothesis too, as the hypothesis is cut there when
      // the documents are evaluated apart.
      if (tagged_tokens && tagged_token(ref, i)) {
        r.copy(i, true);
        h.insert(j);
      } else {
        r.drop(i);
        h.boundary();
      }
      i++;
    } else if (at_hyp) {
      if (tagged_tokens && tagged_token(hyp, j)) {
        r.insert(i);
        h.copy(j, true);
      } else {
        h.drop(j);
      }
      j++;
    } else {
      if (i < nr) {
        r.copy(i++, false);
      }
      if (j < nh) {
        h.copy(j++, false);
      }
    }
  }
}

}  // namespace

void pair_docstarts(conll_document& ref, conll_document& hyp, bool tagged_tokens) {
  if (ref.docstarts.empty() && hyp.docstarts.empty()) {
    return;  // nothing to pair: the documents stay as they were read
  }
  const std::vector<bool> in_ref = docstart_tokens_of(ref);
  const std::vector<bool> in_hyp = docstart_tokens_of(hyp);
  added_tokens ref_added, hyp_added;
  walk(ref, hyp, in_ref, in_hyp, tagged_tokens, ref_added, hyp_added);
  if (ref_added.count == 0 && hyp_added.count == 0) {
    document_compactor r(ref);
    document_compactor h(hyp);
    walk(ref, hyp, in_ref, in_hyp, tagged_tokens, r, h);
    r.finish();
    h.finish();
    return;
  }
  document_builder r(ref, ref_added.count);
  document_builder h(hyp, hyp_added.count);
  walk(ref, hyp, in_ref, in_hyp, tagged_tokens, r, h);
  ref = r.take();
  hyp = h.take();
}

namespace {

// A token as messages show it: escaped, and cut (at a character's start)
// when it is long.
std::string shown_token(const conll_document& doc, size_t i) {
  const uint32_t start = doc.token_start[i];
  std::string_view token(doc.text.data() + start, doc.token_end(i) - start);
  const size_t most = 60;
  std::string out = "'";
  if (token.size() > most) {
    size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0) == 0x80) {
      cut--;
    }
    append_escaped_controls(out, token.substr(0, cut));
    out += "...";
  } else {
    append_escaped_controls(out, token);
  }
  return out + "'";
}

std::string_view token_at(const conll_document& doc, size_t i) {
  const uint32_t start = doc.token_start[i];
  return std::string_view(doc.text.data() + start, doc.token_end(i) - start);
}

}  // namespace

size_t own_tokens(const conll_document& doc, size_t n) {
  size_t own = n;
  for (const docstart_line& d : doc.docstarts) {
    if (d.inserted && d.token < n) {
      own--;
    }
  }
  return own;
}

void check_same_tokens(const conll_document& ref, const char* ref_name, const conll_document& hyp,
                       const char* hyp_name) {
  const size_t nr = ref.token_start.size();
  const size_t nh = hyp.token_start.size();
  const char* const rule = "the two files must hold the same tokens";
  for (size_t i = 0; i < std::min(nr, nh); i++) {
    if (token_at(ref, i) != token_at(hyp, i)) {
      fatal(1, "%s:%d: Error: token %s, where %s:%d has %s: %s.\n", hyp_name, hyp.token_line[i],
            shown_token(hyp, i).c_str(), ref_name, ref.token_line[i], shown_token(ref, i).c_str(),
            rule);
    }
  }
  // The tokens a file ends after are its own: not the "-DOCSTART-" tokens
  // added as counterparts of the other's.
  if (nh < nr) {
    const size_t own = own_tokens(hyp, nh);
    fatal(1, "%s: Error: the file ends after %zu token%s, where %s:%d has %s: %s.\n", hyp_name, own,
          own == 1 ? "" : "s", ref_name, ref.token_line[nh], shown_token(ref, nh).c_str(), rule);
  }
  if (nh > nr) {
    const size_t own = own_tokens(ref, nr);
    fatal(1, "%s:%d: Error: token %s, where %s ends after %zu token%s: %s.\n", hyp_name,
          hyp.token_line[nr], shown_token(hyp, nr).c_str(), ref_name, own, own == 1 ? "" : "s",
          rule);
  }
}
