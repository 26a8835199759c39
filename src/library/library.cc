// The library's face over one evaluation: the call's values into an
// evaluation's input, its faults into exceptions, its results into values.
#include <sys/stat.h>

#include <memory>
#include <utility>

#include "base/file_load.h"
#include "corpus/shards.h"
#include "library/presets.h"
#include "library/result_state.h"
#include "model/vocabulary.h"
#include "orvane/orvane.h"
#include "reports/agreement.h"
#include "reports/confusion.h"
#include "reports/entity_text.h"
#include "reports/outcomes.h"
#include "reports/report_plan.h"
#include "reports/summary.h"

namespace orvane {
namespace {

std::vector<std::string> default_preset_folders() {
  std::vector<std::string> folders = {ORVANE_INSTALLED_PRESETS};
  struct stat st;
  if (stat(ORVANE_SOURCE_PRESETS, &st) == 0) {
    folders.push_back(ORVANE_SOURCE_PRESETS);
  }
  return folders;
}

// The description's file, or its name with its script in `input`.
void describe(const description& d, const std::vector<std::string>& folders,
              evaluation_input& input) {
  switch (d.how) {
    case description::kind::preset: {
      // Only the shipped presets answer to a name here, whatever the working
      // folder holds: a file is named as a file.
      const std::string path =
          d.value.find('/') == std::string::npos
              ? shipped_preset_path(d.value, folders.empty() ? default_preset_folders() : folders)
              : std::string();
      if (path.empty()) {
        std::string message = "Error: " + d.value + " is not a preset (" + preset_list() + ").";
        const std::string close = closest_preset(d.value);
        if (!close.empty()) {
          message += " Did you mean " + close + "?";
        }
        throw error(message, 1);
      }
      input.description = path;
      return;
    }
    case description::kind::source:
      input.description = d.name.empty() ? "description" : d.name;
      input.description_source = d.value;
      // An empty script is a script still: one that defines nothing.
      if (input.description_source.empty()) {
        input.description_source = " ";
      }
      return;
    case description::kind::file:
      input.description = d.value;
      return;
  }
}

// A document's name, and its bytes when they are given.
void place(const document& d, std::string& name, file_part& part) {
  name = d.name;
  if (!d.from_file) {
    auto bytes = std::make_shared<text_buffer>(
        document_copy(d.name.c_str(), d.bytes.data(), d.bytes.size()));
    part = file_part{bytes, 0, bytes->size, 1};
  }
}

}  // namespace

void set_format(format documents, evaluation_input& input) {
  input.reference_is_aref = documents == format::aref;
  input.conll = documents == format::token_per_line;
  input.standoff = documents == format::brat;
  input.jsonl = documents == format::jsonl || documents == format::labelstudio;
  input.labelstudio = documents == format::labelstudio;
}

evaluation_input input_of(const document& reference, const document& hypothesis, const options& o) {
  evaluation_input input;
  describe(o.task, o.preset_folders, input);
  place(reference, input.reference, input.reference_part);
  place(hypothesis, input.hypothesis, input.hypothesis_part);
  set_format(o.reference_format, input);
  input.reference_annotator = o.reference_annotator;
  input.hypothesis_annotator = o.hypothesis_annotator;
  if (input.standoff && !(reference.from_file && hypothesis.from_file)) {
    throw error(
        "Error: brat documents are annotation files beside their text files: give their "
        "paths.",
        1);
  }
  if (input.conll && !scheme_from_name(o.scheme, input.scheme)) {
    throw error(
        "Error: the scheme is conlleval, iob2 (or bio) or iobes (or bioes, bilou), in "
        "any case, not '" +
            o.scheme + "'.",
        1);
  }
  input.reference_column = o.reference_column;
  input.hypothesis_column = o.hypothesis_column;
  for (const std::string& type : o.types) {
    if (type.empty() || !nameable_type(type)) {
      throw error(
          "Error: '" + type + "' is no type name (a name holds no blank or control character).", 1);
    }
  }
  input.types = o.types;
  for (const std::string& type : o.only_types) {
    if (type.empty() || !nameable_type(type)) {
      throw error(
          "Error: '" + type + "' is no type name (a name holds no blank or control character).", 1);
    }
  }
  if (!o.only_types.empty() && input.reference_is_aref) {
    throw error("Error: only_types does not go with an aref reference.", 1);
  }
  input.only_types = o.only_types;
  for (int column : {o.reference_column, o.hypothesis_column}) {
    if (column != 0 && !(column >= 2 && column <= 1000) && !(column <= -1 && column >= -1000)) {
      throw error("Error: a tag column is from 2 to 1000 or from -1 to -1000, not " +
                      std::to_string(column) + ".",
                  1);
    }
  }
  input.limits.stop = o.stop;
  input.embedded = true;
  return input;
}

namespace {

entity_value value_of(const evaluated_pair& pair, const entity_set& set, const entity& e) {
  entity_value v;
  v.type = type_name(e.tagid, pair.vocab.types);
  for (uint32_t a = e.attrs; a < e.attrs + e.nattrs; a++) {
    v.attributes.emplace_back(set.attributes.name(a), set.attributes.value(a));
  }
  const auto [from, to] = shown_span(set, e, &pair.result.chosen);
  v.start = from;
  v.end = to;
  if (to > from) {
    v.text.assign(pair.text + from, static_cast<size_t>(to - from));
  }
  v.line = e.line;
  return v;
}

std::vector<outcome_value> outcomes_of(const evaluated_pair& pair) {
  std::vector<outcome_value> out;
  for_each_outcome(pair, [&](const outcome& o) {
    outcome_value v{o.kind, o.record->cost, {}, std::nullopt, std::nullopt};
    for (int32_t id : pair.vocab.error_lists.list(o.record->errors)) {
      v.errors.push_back(pair.vocab.errors.name(id));
    }
    if (o.ref) {
      v.reference = value_of(pair, pair.ref, *o.ref);
    }
    if (o.hyp) {
      v.hypothesis = value_of(pair, pair.hyp, *o.hyp);
    }
    out.push_back(std::move(v));
  });
  return out;
}

}  // namespace

std::vector<confusion_entry> confusion_entries(const confusion_report& confusion,
                                               const name_table& types) {
  std::vector<confusion_entry> out;
  for (const confusion_cell& c : confusion.cells) {
    confusion_entry e{std::nullopt, std::nullopt, c.count};
    if (c.ref_type != no_type) {
      e.reference_type = types.name(c.ref_type);
    }
    if (c.hyp_type != no_type) {
      e.hypothesis_type = types.name(c.hyp_type);
    }
    out.push_back(std::move(e));
  }
  return out;
}

std::string printed(const std::function<void(FILE*)>& print) {
  memory_stream stream;
  if (!stream.file()) {
    throw std::bad_alloc();
  }
  print(stream.file());
  return stream.take();
}

report_options options_of(const report_choice& c, bool json) {
  report_options r;
  r.summary = c.summary;
  r.details = c.details || c.with_corrects;
  r.details_correct = c.with_corrects;
  r.confusion = c.confusion;
  r.table = c.table;
  r.credit = c.credit;
  r.agreement = c.agreement;
  r.open = c.open;
  r.expected_count = c.expected_count;
  r.json = json;
  return r;
}

result result_access::make(std::shared_ptr<const result::state> state, std::string warnings) {
  result r;
  r.summary = summarize(state->counts, state->ev->result().vocab.types);
  r.warnings = std::move(warnings);
  r.state_ = std::move(state);
  return r;
}

const result::state& result_access::state_of(const result& r) {
  // A result that no evaluation made (default-constructed, or moved from)
  // has nothing to report.
  if (!r.state_) {
    throw error("Error: this result holds no evaluation.", 1);
  }
  return *r.state_;
}

result evaluate(const document& reference, const document& hypothesis, const options& o) {
  memory_stream warnings;
  if (!warnings.file()) {
    throw error(without_newline(out_of_memory_text), 1);
  }
  return faults_thrown(
      [&] {
        auto s = std::make_shared<result::state>();
        const evaluation_input input = input_of(reference, hypothesis, o);
        s->identity = identity_of(input);
        s->ev = std::make_unique<evaluation>(input, warnings.file());
        s->ev->run();
        s->ev->release_stop();  // the caller's flag may not outlive the call
        s->counts = count_outcomes(s->ev->result());
        return result_access::make(std::move(s), warnings.take());
      },
      &warnings);
}

std::vector<confusion_entry> result::confusion() const {
  return faults_thrown([&] {
    const evaluated_pair pair = result_access::state_of(*this).ev->result();
    return confusion_entries(count_confusions(pair), pair.vocab.types);
  });
}

std::vector<outcome_value> result::outcomes() const {
  return faults_thrown([&] { return outcomes_of(result_access::state_of(*this).ev->result()); });
}

agreement_report result::agreement(int expected_count, bool open) const {
  return measure_agreement(result_access::state_of(*this).counts, open, expected_count);
}

std::string result::text(const report_choice& reports) const {
  return faults_thrown([&] {
    return printed([&](FILE* out) {
      write_pair_reports(out, result_access::state_of(*this).ev->result(),
                         options_of(reports, false));
    });
  });
}

std::string result::json(const report_choice& reports) const {
  return faults_thrown([&] {
    return printed([&](FILE* out) {
      const state& s = result_access::state_of(*this);
      write_pair_reports(out, s.ev->result(), options_of(reports, true), html_context(),
                         &s.identity);
    });
  });
}

}  // namespace orvane
