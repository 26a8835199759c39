// What a result keeps of its evaluation, for the reports asked of it later,
// and what the library's calls share to make results and to turn faults into
// exceptions.
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/fatal.h"
#include "base/memory_stream.h"
#include "description/description.h"
#include "evaluation/evaluation.h"
#include "orvane/orvane.h"
#include "reports/confusion.h"
#include "reports/outcomes.h"
#include "reports/report_options.h"
#include "reports/shard_format.h"

struct orvane::result::state {
  // The interpreter lent to the evaluation, when it has none of its own (a
  // corpus's pairs share their thread's); it goes after the evaluation.
  std::shared_ptr<task_description> description;
  std::unique_ptr<evaluation> ev;
  outcome_counts counts;
  shard_identity identity;  // what its JSON report's merge member names
};

namespace orvane {

struct result_access {
  static result make(std::shared_ptr<const result::state> state, std::string warnings);
  // Throws orvane::error for a result that no evaluation made.
  static const result::state& state_of(const result& r);
};

// The evaluation input of a pair under the call's options. Throws
// orvane::error.
evaluation_input input_of(const document& reference, const document& hypothesis, const options& o);
// The reading flags of documents in the format `documents`.
void set_format(format documents, evaluation_input& input);

// The cells of a confusion table, by type name.
std::vector<confusion_entry> confusion_entries(const confusion_report& confusion,
                                               const name_table& types);

// The command line's report options for a choice of reports.
report_options options_of(const report_choice& c, bool json);

// What `print` writes, as a string.
std::string printed(const std::function<void(FILE*)>& print);

// A fault's message as an orvane::error holds it: without its final newline.
inline std::string without_newline(std::string text) {
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
  }
  return text;
}

// Runs `body`, its faults as exceptions, with the warnings given before
// them in `warnings` (when there is such a stream).
template <class Body>
auto faults_thrown(Body&& body, memory_stream* warnings = nullptr) {
  auto given = [&] { return warnings ? warnings->take() : std::string(); };
  try {
    return body();
  } catch (const fatal_error& f) {
    throw error(without_newline(f.text), f.status, given());
  } catch (const std::bad_alloc&) {
    throw error(without_newline(out_of_memory_text), 1, given());
  }
}

}  // namespace orvane
