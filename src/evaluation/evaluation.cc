#include "evaluation/evaluation.h"

#include <cassert>
#include <utility>
#include <vector>

#include "alignment/align.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "entities/segments.h"
#include "model/tags.h"
#include "readers/aref_reader.h"
#include "readers/reposition.h"
#include "readers/text_reader.h"

evaluation::evaluation(evaluation_input input) : input_(std::move(input)) {}

evaluation::~evaluation() = default;

void evaluation::run() {
  assert(!done_ && "an evaluation runs once");
  const char* ref = input_.reference.c_str();
  const char* hyp = input_.hypothesis.c_str();

  // The description first: it fixes the entity types that the readers look for.
  description_ = std::make_unique<task_description>();
  description_->load(input_.description.c_str(), vocab_.types);

  // The hypothesis is read before the reference, so its faults come first.
  text_tags hyp_tags;
  text_buffer hyp_text = file_load(hyp);
  xml_extract_tags(hyp_tags, hyp_text.data(), hyp_text.size, hyp, vocab_.types);

  ref_text_ = file_load(ref);
  if (input_.reference_is_aref) {
    std::vector<aref_tag> ref_tags;
    aref_extract_tags(ref_tags, ref_text_.data(), ref_text_.size, ref, vocab_.types);
    build_entities_from_tags(ref_ents_, ref_tags, ref, false, vocab_.types);
  } else {
    text_tags ref_tags;
    xml_extract_tags(ref_tags, ref_text_.data(), ref_text_.size, ref, vocab_.types);
    build_entities_from_tags(ref_ents_, ref_tags, ref, false, vocab_.types);
  }
  shrink_to_text(ref_text_);

  // From here on the reference's bare text is the only text.
  align_and_reposition(ref_text_.data(), hyp_text.data(), hyp_tags.tags);
  hyp_text = text_buffer();
  build_entities_from_tags(hyp_ents_, hyp_tags, hyp, true, vocab_.types);
  hyp_tags = text_tags();

  const char* text = ref_text_.data();
  refine_entities(ref_ents_, text, ref, vocab_.types);
  refine_entities(hyp_ents_, text, hyp, vocab_.types);

  description_->ask_miss_costs(ref_ents_, text, ref, vocab_);
  description_->ask_miss_costs(hyp_ents_, text, hyp, vocab_);
  build_segments(segments_, ref_ents_, hyp_ents_);
  description_->ask_substitution_costs(ref_ents_, hyp_ents_, segments_, costs_, text, ref, hyp,
                                       vocab_);

  align(ref_ents_, hyp_ents_, segments_, costs_, result_, ref, input_.limits);
  cleanup_unmapped(result_, ref_ents_.size(), hyp_ents_.size());
  done_ = true;
}

evaluated_pair evaluation::result() const {
  assert(done_ && "no result before the run");
  return evaluated_pair{vocab_,
                        ref_ents_,
                        hyp_ents_,
                        segments_,
                        costs_,
                        result_,
                        ref_text_.data(),
                        input_.reference.c_str(),
                        input_.hypothesis.c_str()};
}
