// library_example task.lua reference hypothesis: the scores of a hypothesis.
#include <orvane/orvane.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4)
    return 2;
  orvane::options options;
  options.task = orvane::description::file(argv[1]);
  try {
    auto r =
        orvane::evaluate(orvane::document::file(argv[2]), orvane::document::file(argv[3]), options);
    std::printf("SER %.1f%%  F %.1f%%\n", r.summary.slot_error_rate_pct, r.summary.f_measure_pct);
    for (const orvane::type_row& row : r.summary.rows)
      std::printf("%-8s F %.1f%%\n", row.type.c_str(), row.f_measure_pct);
  } catch (const orvane::error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return e.status();
  }
}
