// The documents of a token-per-line pair: read, checked against each
// other, grouped into entities, and every reading that is a guess warned
// about, so that no number is wrong without a word.
#include <sys/stat.h>

#include <cassert>
#include <cstdio>
#include <string>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "entities/build.h"
#include "evaluation/evaluation.h"
#include "readers/conll_reader.h"
#include "readers/reposition.h"

namespace {

// A token-per-line file's document; the file's bytes are freed on return.
// Messages name the file `shown`. A part of a file read already is read
// from there, its lines numbered as in the file.
conll_document read_conll_file(const std::string& path, const char* shown, conll_reading reading,
                               const file_part& part = file_part()) {
  if (part.file) {
    assert(part.begin <= part.end && part.end <= part.file->size);
    reading.first_line = part.first_line;
    return read_conll(part.file->data() + part.begin, part.end - part.begin, shown, reading);
  }
  const text_buffer file = file_load(path.c_str());
  return read_conll(file.data(), file.size, shown, reading);
}

token_lines lines_of(const conll_document& doc) {
  return token_lines{&doc.token_start, &doc.token_line};
}

std::string plural(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The scheme that reads every tagged token of a column into an entity: a
// strict one where one does, else conlleval's, which reads any sequence.
chunk_scheme fitting_scheme(const conll_document& doc, size_t column) {
  for (chunk_scheme s : {chunk_scheme::iob2, chunk_scheme::iobes}) {
    if (conll_unfit(doc, column, s) == 0) {
      return s;
    }
  }
  return chunk_scheme::conlleval;
}

std::string reads_all(chunk_scheme s) {
  return s == chunk_scheme::conlleval
             ? "--scheme conlleval reads any sequence"
             : std::string("--scheme ") + scheme_name(s) + " reads them all";
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat x, y;
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

// How many tokens column `cb` of `b` tags as column `ca` of `a` does (a
// tag the same prefix and type): seqeval's accuracy_score, counted.
uint64_t equal_tags(const conll_document& a, size_t ca, const conll_document& b, size_t cb) {
  const std::vector<token_tag>& x = a.tags[ca];
  const std::vector<token_tag>& y = b.tags[cb];
  uint64_t equal = 0;
  for (size_t i = 0; i < x.size() && i < y.size(); i++) {
    equal +=
        x[i].prefix == y[i].prefix && (&a == &b ? x[i].type == y[i].type
                                                : a.types.name(static_cast<int>(x[i].type)) ==
                                                      b.types.name(static_cast<int>(y[i].type)));
  }
  return equal;
}

// Whether two columns hold the same tags on every token.
bool same_tags(const conll_document& a, size_t ca, const conll_document& b, size_t cb) {
  const std::vector<token_tag>& x = a.tags[ca];
  const std::vector<token_tag>& y = b.tags[cb];
  if (x.size() != y.size()) {
    return false;
  }
  for (size_t i = 0; i < x.size(); i++) {
    if (x[i].prefix != y[i].prefix ||
        a.types.name(static_cast<int>(x[i].type)) != b.types.name(static_cast<int>(y[i].type))) {
      return false;
    }
  }
  return true;
}

}  // namespace

void evaluation::warn(const std::string& text) {
  // The documents of a file checked whole are not warned about again.
  if (warnings_ && !input_.checked) {
    fputs(text.c_str(), warnings_);
    fflush(warnings_);
  }
}

namespace {

// What the checks of one file say: warnings, or an error that ends the run.
struct file_checks {
  const char* shown;
  chunk_scheme scheme;
  bool checked;  // the whole file was checked: nothing to say of a part
  std::vector<std::string> warnings;

  void docstarts(const conll_document& doc) {
    if (checked || doc.tagged_docstarts == 0) {
      return;
    }
    warnings.push_back(
        std::string(shown) + ":" + std::to_string(doc.first_tagged_docstart) + ": Warning: " +
        plural(doc.tagged_docstarts, "-DOCSTART- line carries", "-DOCSTART- lines carry") +
        " a tag (first: " + shown_name(doc.first_docstart_tag) + "); " +
        (scheme == chunk_scheme::conlleval
             ? "counted as conlleval counts them, as tokens of the text.\n"
             : std::string("read as document boundaries under ") + scheme_name(scheme) +
                   ", their tags not counted.\n"));
  }

  // Tokens of one tag column that fit no entity: a warning, which names the
  // scheme that reads them all when they are most of the column's tagged
  // tokens; none fitting at all is an error. Each column is judged on its
  // own, so that one file of both columns gets the verdicts that two files
  // of one column each get; `column` names it in a file of both.
  void fit(const conll_document& doc, size_t index, const column_chunks& c,
           const char* column = nullptr) {
    if (checked || c.unfit == 0) {
      return;
    }
    const std::string of = column ? std::string(" of the ") + column + " column" : std::string();
    const std::string where = " (first at line " + std::to_string(c.first_unfit_line) + ")";
    if (c.entities == 0) {
      fatal(1, "%s: Error: none of the %s%s fits an entity under %s%s; %s.\n", shown,
            plural(c.tagged, "tagged token", "tagged tokens").c_str(), of.c_str(),
            scheme_name(scheme), where.c_str(), reads_all(fitting_scheme(doc, index)).c_str());
    }
    std::string text = std::string(shown) + ": Warning: " + plural(c.unfit, "token", "tokens") +
                       of + (c.unfit == 1 ? " fits" : " fit") + " no entity under " +
                       scheme_name(scheme) + where;
    if (2 * uint64_t{c.unfit} > c.tagged) {
      text += "; " + reads_all(fitting_scheme(doc, index));
    }
    warnings.push_back(text + ".\n");
  }

  // BIOES tags under conlleval's rules, which run "S-X S-X" into one entity
  // and start none at a typeless S after an O: what they did here.
  void bioes(const column_chunks& c) {
    if (checked || scheme != chunk_scheme::conlleval || !c.bioes) {
      return;
    }
    std::string what;
    if (c.joined > 0) {
      what = "ran " + plural(c.joined, "entity", "entities") + " on into the next (first at line " +
             std::to_string(c.first_joined_line) + ")";
    }
    if (c.dropped > 0) {
      what += std::string(what.empty() ? "" : " and ") + "left " +
              plural(c.dropped, "tagged token", "tagged tokens") + " in no entity (first at line " +
              std::to_string(c.first_dropped_line) + ")";
    }
    if (what.empty()) {
      what = "here ran no entity on into the next";
    }
    warnings.push_back(std::string(shown) +
                       ": Warning: BIOES tags (S-, E-, U-, L-) read by conlleval's rules, which " +
                       what + "; --scheme iobes reads them as BIOES.\n");
  }
};

// Typeless tags on one side and typed on the other: no pairing can be
// correct, which would pass for a dreadful system.
std::string typeless_against_typed(const char* shown, const column_chunks& ref,
                                   const column_chunks& hyp, const char* hyp_shown) {
  const bool ref_typeless = ref.typeless && !ref.typed && hyp.typed && !hyp.typeless;
  const bool hyp_typeless = hyp.typeless && !hyp.typed && ref.typed && !ref.typeless;
  if (!ref_typeless && !hyp_typeless) {
    return std::string();
  }
  const int32_t line = ref_typeless ? hyp.first_typed_line : ref.first_typed_line;
  const char* file = ref_typeless ? hyp_shown : shown;
  return std::string(shown) + ": Warning: the " + (ref_typeless ? "reference" : "hypothesis") +
         "'s tags have no type (as B, I) and the " + (ref_typeless ? "hypothesis" : "reference") +
         "'s have types (first at " + file + ":" + std::to_string(line) +
         "), so that no pairing is correct; the boundary preset compares boundaries only.\n";
}

}  // namespace

conll_reading conll_reading_of(const evaluation_input& input, bool hypothesis) {
  conll_reading reading;
  reading.docstart_tokens = input.scheme == chunk_scheme::conlleval;
  const bool columns_given = input.reference_column != 0;
  if (input.one_file) {
    // By default the reference's tags before the last column, the
    // hypothesis's last, as conlleval reads them.
    reading.tag_columns = columns_given
                              ? std::vector<int>{input.reference_column, input.hypothesis_column}
                              : std::vector<int>{-2, -1};
    return reading;
  }
  reading.tag_columns = {!columns_given ? -1
                         : hypothesis   ? input.hypothesis_column
                                        : input.reference_column};
  if (!input.empty_hypothesis) {
    // Each file's "-DOCSTART-" lines are read as tokens, to be paired with
    // the other's by place.
    reading.all_docstarts = true;
    if (!hypothesis && !columns_given) {
      reading.compared_column = -2;  // for warn_layout
    }
  }
  return reading;
}

void evaluation::read_conll_documents() {
  const chunk_scheme scheme = input_.scheme;
  const char* ref = ref_shown_.c_str();
  const bool columns_given = input_.reference_column != 0;
  text_tags ref_tags;
  text_tags hyp_tags;
  if (input_.one_file) {
    // One file, one text: no repositioning.
    conll_document doc = read_conll_file(input_.reference, ref, conll_reading_of(input_, false),
                                         input_.reference_part);
    tokens_ = doc.tags[0].size();
    equal_tags_ = equal_tags(doc, 0, doc, 1);
    file_checks checks{ref, scheme, input_.checked, {}};
    checks.docstarts(doc);
    // Each column's tags are freed as soon as its entities are made and
    // checked: the two columns' tags are the largest part of the document.
    column_chunks both = conll_entities(doc, 0, scheme, vocab_.types, ref_tags);
    checks.fit(doc, 0, both, "reference");
    doc.tags[0] = std::vector<token_tag>();
    const column_chunks hyp_chunks = conll_entities(doc, 1, scheme, vocab_.types, hyp_tags);
    checks.fit(doc, 1, hyp_chunks, "hypothesis");
    doc.tags[1] = std::vector<token_tag>();
    const std::string typeless = typeless_against_typed(ref, both, hyp_chunks, ref);
    // One warning of BIOES tags for the file, of both columns.
    both.add(hyp_chunks);
    checks.bioes(both);
    for (const std::string& w : checks.warnings) {
      warn(w);
    }
    warn(typeless);
    ref_text_ = doc.text.release();
    doc = conll_document();
    build_entities_from_tags(ref_ents_, ref_tags, ref, false, vocab_.types);
    build_entities_from_tags(hyp_ents_, hyp_tags, ref, true, vocab_.types);
    return;
  }
  const char* hyp = hyp_shown_.c_str();
  // The hypothesis is read before the reference, so its faults come first;
  // the reference's types are added first.
  conll_document hyp_doc;
  if (!input_.empty_hypothesis) {
    hyp_doc = read_conll_file(input_.hypothesis, hyp, conll_reading_of(input_, true),
                              input_.hypothesis_part);
  }
  const conll_reading reading = conll_reading_of(input_, false);
  conll_document ref_doc = read_conll_file(input_.reference, ref, reading, input_.reference_part);
  if (!input_.empty_hypothesis) {
    pair_docstarts(ref_doc, hyp_doc, reading.docstart_tokens);
    check_same_tokens(ref_doc, ref, hyp_doc, hyp);
    equal_tags_ = equal_tags(ref_doc, 0, hyp_doc, 0);
  } else {
    // The missing hypothesis tags every token O.
    for (const token_tag& t : ref_doc.tags[0]) {
      equal_tags_ += t.prefix == 'O';
    }
  }
  tokens_ = ref_doc.tags[0].size();
  file_checks ref_checks{ref, scheme, input_.checked || input_.reference_checked, {}};
  file_checks hyp_checks{hyp, scheme, input_.checked, {}};
  const column_chunks ref_chunks = conll_entities(ref_doc, 0, scheme, vocab_.types, ref_tags);
  ref_checks.docstarts(ref_doc);
  ref_checks.fit(ref_doc, 0, ref_chunks);
  ref_checks.bioes(ref_chunks);
  column_chunks hyp_chunks;
  if (!input_.empty_hypothesis) {
    hyp_chunks = conll_entities(hyp_doc, 0, scheme, vocab_.types, hyp_tags);
    hyp_checks.docstarts(hyp_doc);
    hyp_checks.fit(hyp_doc, 0, hyp_chunks);
    hyp_checks.bioes(hyp_chunks);
  }
  for (const file_checks* checks : {&ref_checks, &hyp_checks}) {
    for (const std::string& w : checks->warnings) {
      warn(w);
    }
  }
  if (!input_.empty_hypothesis) {
    warn(typeless_against_typed(ref, ref_chunks, hyp_chunks, hyp));
    if (!columns_given && !input_.checked) {
      warn_layout(ref_doc, hyp_doc);
    }
  }
  ref_text_ = ref_doc.text.release();
  ref_doc.tags = {};
  build_entities_from_tags(ref_ents_, ref_tags, ref, false, vocab_.types);
  if (!input_.empty_hypothesis) {
    align_and_reposition(ref_text_.data(), hyp_doc.text.data(), hyp_tags.tags, lines_of(ref_doc),
                         lines_of(hyp_doc));
  }
  build_entities_from_tags(hyp_ents_, hyp_tags, hyp, true, vocab_.types);
}

void evaluation::warn_layout(const conll_document& ref_doc, const conll_document& hyp_doc) {
  const char* ref = ref_shown_.c_str();
  if (same_file(input_.reference, input_.hypothesis)) {
    warn(std::string(ref) +
         ": Warning: the reference and the hypothesis are one file, both read from its last "
         "column, so that every entity is correct; a file of both columns is given alone "
         "(orvane --conll DESCR FILE), or --columns names them.\n");
    return;
  }
  // A file of predictions given as the reference: its last column is what
  // the hypothesis holds, and the column before it other tags (compared as
  // the file was read).
  if (ref_doc.columns >= 3 && ref_doc.compared == compared_tags::differ &&
      same_tags(ref_doc, 0, hyp_doc, 0)) {
    warn(std::string(ref) +
         ": Warning: its last column, read as the reference's tags, holds the hypothesis's tags "
         "on every token, and the column before it other tags; if that column is the "
         "reference, --columns -2,-1 reads it.\n");
  }
}
