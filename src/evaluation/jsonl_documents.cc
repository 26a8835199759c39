// The JSON-lines documents of an evaluation: each line of the two files a
// document, paired by id when every line has one and by order otherwise;
// the documents of a pair of files are read as one text, each line's after
// the last, so that a run over the files gives the totals of their lines.
// (A corpus run gives each pair of lines its own evaluation: one line a
// side.)
#include <string>
#include <utility>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"
#include "entities/build.h"
#include "evaluation/evaluation.h"
#include "readers/jsonl_reader.h"
#include "readers/labelstudio_reader.h"
#include "readers/reposition.h"

namespace {

std::vector<jsonl_document> documents_of(const text_buffer& bytes, const file_part& part,
                                         const char* shown, bool labelstudio) {
  std::vector<jsonl_document> docs;
  for (const jsonl_line& l : jsonl_lines(bytes.data(), bytes.size)) {
    docs.push_back(read_jsonl_line(std::string_view(bytes.data() + l.begin, l.end - l.begin),
                                   l.number + part.first_line - 1, shown, labelstudio));
  }
  return docs;
}

// The sources added since `from` are those of a document whose text starts
// at byte `start`.
void starting_at(std::vector<annotation_source>& sources, size_t from, int32_t start) {
  for (size_t i = from; i < sources.size(); i++) {
    sources[i].text_start = start;
  }
}

}  // namespace

// A document's JSON lines: its bytes, or a Label Studio export's tasks as
// such lines (a corpus's task is a line already).
text_buffer evaluation::bytes_of(const std::string& path, const file_part& part, const char* shown,
                                 const std::string& annotator) {
  text_buffer bytes = document_bytes(path, part);
  if (!input_.labelstudio || part.task_line) {
    return bytes;
  }
  labelstudio_counts counts;
  const std::string lines =
      labelstudio_as_jsonl(bytes.data(), bytes.size, shown, annotator, counts);
  for (const std::string& w : labelstudio_warnings(shown, counts)) {
    warn(w);
  }
  return text_copy(lines.data(), lines.size());
}

void evaluation::read_jsonl_documents() {
  const char* ref = ref_shown_.c_str();
  const char* hyp = hyp_shown_.c_str();
  const text_buffer ref_bytes =
      bytes_of(input_.reference, input_.reference_part, ref, input_.reference_annotator);
  const std::vector<jsonl_document> ref_docs =
      documents_of(ref_bytes, input_.reference_part, ref, input_.labelstudio);
  std::vector<jsonl_document> hyp_docs;
  if (!input_.empty_hypothesis) {
    const text_buffer hyp_bytes =
        bytes_of(input_.hypothesis, input_.hypothesis_part, hyp, input_.hypothesis_annotator);
    hyp_docs = documents_of(hyp_bytes, input_.hypothesis_part, hyp, input_.labelstudio);
  }
  const std::vector<size_t> partner = input_.empty_hypothesis
                                          ? std::vector<size_t>()
                                          : pair_jsonl_documents(ref_docs, hyp_docs, ref, hyp);

  // One text: each document's after the last, a line end between them.
  std::string text;
  text_tags ref_tags, hyp_tags;
  for (size_t i = 0; i < ref_docs.size(); i++) {
    const jsonl_document& r = ref_docs[i];
    const int32_t offset = static_cast<int32_t>(text.size());
    text_tags tags;
    size_t first = ref_sources_.size();
    read_character_spans(tags, r.spans, r.where(ref), r.text.data(), r.text.size(), vocab_.types,
                         &ref_sources_);
    starting_at(ref_sources_, first, offset);
    for (simple_tag& t : tags.tags) {
      t.pos += offset;
      ref_tags.tags.push_back(t);
    }
    if (!input_.empty_hypothesis) {
      const jsonl_document& h = hyp_docs[partner[i]];
      tags = text_tags();
      first = hyp_sources_.size();
      read_character_spans(tags, h.spans, h.where(hyp), h.text.data(), h.text.size(), vocab_.types,
                           &hyp_sources_);
      starting_at(hyp_sources_, first, offset);
      try {
        align_and_reposition(r.text.c_str(), h.text.c_str(), tags.tags, {}, {}, &vocab_.types);
      } catch (const fatal_error& mismatch) {
        fatal(mismatch.status, "%s: Error: its text and that of %s differ beyond whitespace.\n%s",
              h.place(hyp).c_str(), r.place(ref).c_str(), mismatch.text.c_str());
      }
      for (simple_tag& t : tags.tags) {
        t.pos += offset;
        hyp_tags.tags.push_back(t);
      }
    }
    text += r.text;
    text += '\n';
  }
  if (text.size() > INT32_MAX - 1) {
    fatal(1, "%s: Error: the documents' texts take 2 GiB or more.\n", ref);
  }
  ref_text_ = text_copy(text.data(), text.size());
  build_entities_from_tags(ref_ents_, ref_tags, ref, false, vocab_.types);
  build_entities_from_tags(hyp_ents_, hyp_tags, hyp, true, vocab_.types);
}
