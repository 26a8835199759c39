#include "corpus/pair_evaluation.h"

#include "base/fatal.h"
#include "reports/json_report.h"
#include "reports/text_report.h"

pair_result evaluate_pair(evaluation_input input, const report_options& reports,
                          worker_state& worker) {
  pair_result r;
  memory_stream& messages = worker.messages;
  memory_stream& listing = worker.listing;
  if (!messages.file() || !listing.file()) {
    r.status = 1;
    r.messages = out_of_memory_text;
    return r;
  }
  std::unique_ptr<evaluation> ev;
  r.status = run_reporting_faults(messages.file(), [&] {
    if (!worker.description) {
      auto description = std::make_unique<task_description>();
      // A pair still running when another has failed ends at once, even
      // inside a description that loops.
      description->stop_when(worker.stop);
      description->load(input.description.c_str());
      worker.description = std::move(description);
    }
    ev = std::make_unique<evaluation>(std::move(input), messages.file(), worker.description.get());
    ev->run();
    const evaluated_pair pair = ev->result();
    r.figures.counts = count_outcomes(pair);
    r.figures.types = pair.vocab.types.names();
    if (reports.confusion || reports.json || !reports.html_file.empty()) {
      r.figures.confusion = count_confusions(pair);
    }
    if (!reports.html_file.empty()) {
      r.page = html_document_of(pair);
    }
    if (reports.details && reports.json) {
      r.listing = json_outcomes(pair, reports.details_correct);
    } else if (reports.details) {
      print_details(listing.file(), pair, reports.details_correct);
    }
  });
  ev.reset();
  if (r.status != 0) {
    worker.description.reset();  // whatever the fault left in it goes too
  }
  r.messages = messages.take();
  if (!reports.json) {
    r.listing = listing.take();
  }
  return r;
}
