// The standoff documents of an evaluation: each side's annotation file
// over its text file, the hypothesis's positions then moved onto the
// reference's text as for annotated text.
#include <cerrno>
#include <cstring>
#include <string>

#include "base/escape.h"
#include "base/fatal.h"
#include "entities/build.h"
#include "evaluation/evaluation.h"
#include "readers/document_bytes.h"
#include "readers/reposition.h"
#include "readers/standoff_reader.h"

namespace {

// The text file beside an annotation file: doc.ann's is doc.txt.
std::string text_file_of(const std::string& ann) {
  const size_t n = ann.size();
  if (n >= 4 && ann.compare(n - 4, 4, ".ann") == 0) {
    return ann.substr(0, n - 4) + ".txt";
  }
  return ann + ".txt";
}

// The text file of `ann`, which must be there.
text_buffer load_text(const std::string& file, const std::string& ann) {
  FILE* f = fopen(file.c_str(), "rb");
  if (!f) {
    const int error = errno;
    fatal(2, "%s: Error: its text %s cannot be read: %s.\n", shown_name(ann).c_str(),
          shown_name(file).c_str(), strerror(error));
  }
  fclose(f);
  return file_load(file.c_str());
}

// A file's text without its byte-order mark, checked as a document's bytes
// are (no NUL, no UTF-16).
text_buffer text_of(text_buffer bytes, const char* name) {
  const cursor c = document_start(bytes.data(), bytes.size, name);
  const size_t skip = static_cast<size_t>(c.p - bytes.data());
  if (skip == 0) {
    return bytes;
  }
  return text_copy(bytes.data() + skip, bytes.size - skip);
}

struct standoff_side {
  text_tags tags;
  standoff_counts counts;
};

}  // namespace

void evaluation::read_standoff_documents() {
  const std::string ref_text_file = text_file_of(input_.reference);
  const std::string ref_text_shown = shown_name(ref_text_file);
  ref_text_ = text_of(load_text(ref_text_file, input_.reference), ref_text_shown.c_str());

  auto read_side = [&](standoff_side& side, const std::string& ann_file, const std::string& shown,
                       const text_buffer& text, const std::string& text_shown,
                       std::vector<annotation_source>& sources) {
    const text_buffer ann = file_load(ann_file.c_str());
    document_start(ann.data(), ann.size, shown.c_str());
    read_standoff(side.tags, side.counts, ann.data(), ann.size, shown.c_str(), text.data(),
                  text.size, text_shown.c_str(), vocab_.types, &sources);
    if (side.counts.discontinuous > 0) {
      warn(shown + ": Warning: " + std::to_string(side.counts.discontinuous) +
           (side.counts.discontinuous == 1 ? " discontinuous annotation is"
                                           : " discontinuous annotations are") +
           " read as the span that covers its fragments.\n");
    }
    if (side.counts.ignored > 0) {
      warn(shown + ": Note: " + std::to_string(side.counts.ignored) +
           (side.counts.ignored == 1 ? " line holds" : " lines hold") +
           " relations, events, equivalences, notes or their attributes, which are not "
           "evaluated.\n");
    }
  };

  standoff_side ref;
  read_side(ref, input_.reference, ref_shown_, ref_text_, ref_text_shown, ref_sources_);
  build_entities_from_tags(ref_ents_, ref.tags, ref_shown_.c_str(), false, vocab_.types);

  standoff_side hyp;
  if (!input_.empty_hypothesis) {
    // The hypothesis's own text, when it has one, must be the reference's
    // but for whitespace; without one it is annotated over the reference's.
    const std::string hyp_text_file = text_file_of(input_.hypothesis);
    const std::string hyp_text_shown = shown_name(hyp_text_file);
    errno = 0;
    FILE* probe = fopen(hyp_text_file.c_str(), "rb");
    const bool own_text = probe != nullptr || errno != ENOENT;
    if (probe) {
      fclose(probe);
    }
    if (own_text) {
      const text_buffer hyp_text =
          text_of(load_text(hyp_text_file, input_.hypothesis), hyp_text_shown.c_str());
      read_side(hyp, input_.hypothesis, hyp_shown_, hyp_text, hyp_text_shown, hyp_sources_);
      try {
        align_and_reposition(ref_text_.data(), hyp_text.data(), hyp.tags.tags, {}, {},
                             &vocab_.types);
      } catch (const fatal_error& mismatch) {
        // The report speaks of ref and hyp: say which texts those are.
        fatal(mismatch.status, "Error: the texts %s and %s differ beyond whitespace.\n%s",
              hyp_text_shown.c_str(), ref_text_shown.c_str(), mismatch.text.c_str());
      }
    } else {
      read_side(hyp, input_.hypothesis, hyp_shown_, ref_text_, ref_text_shown, hyp_sources_);
    }
  }
  build_entities_from_tags(hyp_ents_, hyp.tags, hyp_shown_.c_str(), true, vocab_.types);
}
