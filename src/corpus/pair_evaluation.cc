#include "corpus/pair_evaluation.h"

#include "base/fatal.h"

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
      load_description(*description, input);
      worker.description = std::move(description);
    }
    ev = std::make_unique<evaluation>(std::move(input), messages.file(), worker.description.get());
    ev->run();
    r.report = report_document(ev->result(), reports, &listing);
  });
  ev.reset();
  if (r.status != 0) {
    worker.description.reset();  // whatever the fault left in it goes too
  }
  r.messages = messages.take();
  return r;
}
