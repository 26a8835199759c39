#include "evaluation/evaluation.h"

#include <algorithm>
#include <cassert>
#include <utility>
#include <vector>

#include "alignment/align.h"
#include "base/escape.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "entities/segments.h"
#include "model/tags.h"
#include "readers/aref_reader.h"
#include "readers/conll_reader.h"
#include "readers/reposition.h"
#include "readers/text_reader.h"

// A document's bytes: those held already, or its file's.
text_buffer document_bytes(const std::string& path, const file_part& part) {
  if (part.file) {
    assert(part.begin <= part.end && part.end <= part.file->size);
    return text_copy(part.file->data() + part.begin, part.end - part.begin);
  }
  return file_load(path.c_str());
}

void load_description(task_description& description, const evaluation_input& input) {
  if (!input.description_source.empty()) {
    description.load_source(input.description_source, input.description.c_str());
  } else {
    description.load(input.description.c_str());
  }
}

evaluation::evaluation(evaluation_input input, FILE* warnings, task_description* description)
    : input_(std::move(input)), warnings_(warnings), description_(description) {}

evaluation::~evaluation() = default;

void evaluation::run() {
  assert(!done_ && "an evaluation runs once");
  assert((input_.conll || !input_.one_file) && "one file holds both documents only with --conll");
  assert(!(input_.one_file && input_.empty_hypothesis) && "one file holds a hypothesis");
  start();
  const char* ref = ref_shown_.c_str();
  const char* hyp = hyp_shown_.c_str();
  if (input_.conll) {
    read_conll_documents();
  } else if (input_.standoff) {
    read_standoff_documents();
  } else if (input_.jsonl) {
    read_jsonl_documents();
  } else {
    read_documents();
  }
  if (!input_.only_types.empty()) {
    assert(!input_.reference_is_aref && "an aref set's links would point astray");
    std::vector<bool> kept(static_cast<size_t>(vocab_.types.size()), false);
    for (const std::string& name : input_.only_types) {
      const int id = vocab_.types.find(name);
      if (id >= 0) {
        kept[static_cast<size_t>(id)] = true;
      }
    }
    keep_types(ref_ents_, kept);
    keep_types(hyp_ents_, kept);
  }
  description_->prepare(vocab_.types);

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

void evaluation::release_stop() {
  if (own_description_ && input_.limits.stop) {
    own_description_->stop_when(nullptr);
  }
}

void evaluation::start() {
  // Messages name the files as a terminal may show them.
  ref_shown_ = shown_name(input_.reference);
  hyp_shown_ = shown_name(hypothesis_name());
  // The description first: it fixes the entity types that the readers look for.
  if (!description_) {
    own_description_ = std::make_unique<task_description>();
    description_ = own_description_.get();
    // A caller's stop ends the description's code too, even a loop.
    if (input_.limits.stop) {
      description_->stop_when(input_.limits.stop);
    }
    if (input_.embedded) {
      description_->embed();
    }
    load_description(*description_, input_);
  } else {
    description_->rewind();  // a lent interpreter draws as a fresh one would
  }
  declare_types();
}

std::vector<std::string> evaluation::check_documents() {
  assert(!done_ && input_.conll && !input_.checked);
  start();
  read_conll_documents();
  return vocab_.types.names();
}

void evaluation::declare_types() {
  if (!input_.types.empty()) {
    for (const std::string& name : input_.types) {
      vocab_.types.get(name);
    }
  } else if (!(input_.conll || input_.standoff || input_.jsonl) ||
             description_->defines("get_all_tags")) {
    // Elsewhere the types decide what is a tag, so get_all_tags is required.
    description_->read_types(vocab_.types);
  }
}

void evaluation::read_documents() {
  const char* ref = ref_shown_.c_str();
  const char* hyp = hyp_shown_.c_str();

  // The hypothesis is read before the reference, so its faults come first.
  text_tags hyp_tags;
  text_buffer hyp_text;
  if (!input_.empty_hypothesis) {
    hyp_text = document_bytes(input_.hypothesis, input_.hypothesis_part);
    xml_extract_tags(hyp_tags, hyp_text.data(), hyp_text.size, hyp, vocab_.types);
  }

  ref_text_ = document_bytes(input_.reference, input_.reference_part);
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
  if (!input_.empty_hypothesis) {
    align_and_reposition(ref_text_.data(), hyp_text.data(), hyp_tags.tags, {}, {}, &vocab_.types);
    hyp_text = text_buffer();
  }
  build_entities_from_tags(hyp_ents_, hyp_tags, hyp, true, vocab_.types);
}

evaluated_pair evaluation::result() const {
  assert(done_ && "no result before the run");
  evaluated_pair pair{vocab_,
                      ref_ents_,
                      hyp_ents_,
                      segments_,
                      costs_,
                      result_,
                      ref_text_.data(),
                      input_.reference.c_str(),
                      hypothesis_name(),
                      input_.description.c_str(),
                      tokens_,
                      equal_tags_};
  if (input_.standoff || input_.jsonl) {
    pair.reference_sources = &ref_sources_;
    pair.hypothesis_sources = &hyp_sources_;
  }
  return pair;
}

const char* evaluation::hypothesis_name() const {
  return input_.one_file ? input_.reference.c_str() : input_.hypothesis.c_str();
}
