#include "cli/scenarios.h"

#include <memory>
#include <utility>

#include "base/fatal.h"
#include "base/file_load.h"
#include "base/memory_stream.h"
#include "base/output_file.h"
#include "corpus/corpus.h"
#include "evaluation/evaluation.h"
#include "reports/overlaps.h"
#include "reports/scenarios.h"
#include "reports/summary.h"

namespace {

// The documents of a single pair, read once for every scenario; the
// hypothesis first, as an evaluation reads them, so that its faults come
// first.
void read_once(evaluation_input& input) {
  for (auto [name, part] : {std::pair{&input.hypothesis, &input.hypothesis_part},
                            std::pair{&input.reference, &input.reference_part}}) {
    if (name->empty()) {
      continue;  // one file holds both
    }
    auto bytes = std::make_shared<text_buffer>(file_load(name->c_str()));
    *part = file_part{bytes, 0, bytes->size, 1};
  }
}

scenario_result evaluate_scenario(const run_options& options, evaluation_input input,
                                  const scenario& s, FILE* warnings) {
  scenario_result r;
  r.name = s.name;
  r.file = s.file;
  input.description = s.file;
  if (options.corpus) {
    const pooled_results pooled = pool_corpus(input, options.corpus_run, warnings);
    r.counts = pooled.counts();
    r.types = pooled.types();
  } else {
    evaluation ev(std::move(input), warnings);
    ev.run();
    const evaluated_pair pair = ev.result();
    r.counts = count_outcomes(pair);
    r.counts.overlapping_misses = count_overlapping_misses(pair);
    r.types = pair.vocab.types;
  }
  return r;
}

}  // namespace

int run_scenarios(const run_options& options, const std::vector<scenario>& scenarios, FILE* out,
                  FILE* err) {
  return run_reporting_faults(err, [&] {
    evaluation_input input = options.input;
    if (!options.corpus) {
      read_once(input);
    }
    std::vector<scenario_result> results;
    for (size_t k = 0; k < scenarios.size(); k++) {
      // The documents' warnings once: those of later scenarios are given
      // only with a fault they lead to.
      memory_stream repeated;
      FILE* warnings = k == 0 ? err : repeated.file();
      if (!warnings) {
        fatal_out_of_memory();
      }
      try {
        results.push_back(evaluate_scenario(options, input, scenarios[k], warnings));
        if (k == 0) {
          warn_types_without_entities(err, results[0].counts, results[0].types,
                                      options.input.only_types);
        }
      } catch (...) {
        if (k != 0) {
          fputs(repeated.take().c_str(), err);
        }
        throw;
      }
    }
    run_header header;
    header.reference = options.corpus ? options.corpus_run.reference_dir : options.input.reference;
    header.hypothesis = options.corpus ? options.corpus_run.hypothesis_dir
                                       : (options.input.one_file ? options.input.reference
                                                                 : options.input.hypothesis);
    if (options.corpus && options.corpus_run.one_folder) {
      header.hypothesis = header.reference;
    }
    if (options.corpus && options.corpus_run.from_list) {
      header.pairs_file = options.corpus_run.pairs_file;
    }
    if (options.reports.json) {
      write_scenarios_json(out, header, results, options.reports);
    } else {
      print_scenarios(out, results, options.reports);
    }
    check_written(out);
  });
}
