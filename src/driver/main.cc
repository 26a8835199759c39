// The run: options, then one straight pipeline from the task description and
// the two documents to the reports.
#include <cstdio>
#include <list>
#include <memory>
#include <vector>

#include "alignment/align.h"
#include "description/costs.h"
#include "description/lua_bridge.h"
#include "driver/fatal.h"
#include "driver/options.h"
#include "entities/build.h"
#include "entities/refine.h"
#include "entities/segment.h"
#include "readers/aref_reader.h"
#include "readers/reposition.h"
#include "readers/text_reader.h"
#include "reports/reports.h"

namespace {

struct lua_closer {
  void operator()(lua_State* L) const { lua_close(L); }
};

int run(const char* descr, const char* ref, const char* hyp) {
  char* ref_data = nullptr;
  char* hyp_data = nullptr;
  std::list<simple_tag> ref_stags, hyp_tags;
  std::list<aref_tag> ref_atags;
  std::vector<entity> ref_ents, hyp_ents;
  frontier_map frontiers;
  std::vector<segment> segments;
  frontier_choice_map align_frontiers;

  std::unique_ptr<lua_State, lua_closer> state(luaL_newstate());
  lua_State* L = state.get();
  if (!L) {
    fatal(1, "Error: cannot create the Lua interpreter (out of memory).\n");
  }
  load_lua_description(L, descr);
  load_tag_list(L);

  annotated_file_load(hyp, hyp_tags, hyp_data);
  if (opt_ref_aref) {
    aref_file_load(ref, ref_atags, ref_data);
    build_entities_from_tags(ref_ents, ref_atags, ref, false);
  } else {
    annotated_file_load(ref, ref_stags, ref_data);
    build_entities_from_tags(ref_ents, ref_stags, ref, false);
  }
  align_and_reposition(ref_data, hyp_data, hyp_tags);
  build_entities_from_tags(hyp_ents, hyp_tags, hyp, true);

  refine_entities(ref_ents, ref_data, ref);
  refine_entities(hyp_ents, ref_data, hyp);

  compute_entities_miss_costs(L, ref_ents, ref_data);
  compute_entities_miss_costs(L, hyp_ents, ref_data);
  add_frontiers(frontiers, ref_ents);
  add_frontiers(frontiers, hyp_ents);
  build_segments(segments, frontiers);
  compute_substitution_errors_costs(L, segments, ref_data);

  align(segments, ref_data, align_frontiers, ref);
  cleanup_unmapped(segments, ref_ents, hyp_ents);

  int count_ref = static_cast<int>(ref_ents.size());
  int count_hyp = static_cast<int>(hyp_ents.size());
  if (opt_details) {
    show_details(segments, ref_data, align_frontiers, ref, hyp);
  }
  if (opt_summary) {
    show_summary(segments, count_ref, count_hyp);
  }
  if (opt_iag) {
    show_iag(segments, count_ref, count_hyp);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  progname = argv[0] ? argv[0] : "orvane";
  options(argc, &argv);
  if (!argv[0] || !argv[1] || !argv[2] || argv[3]) {
    print_usage(stderr);
    return 1;
  }

  int status;
  try {
    status = run(argv[0], argv[1], argv[2]);
  } catch (const fatal_error& e) {
    fputs(e.text.c_str(), stderr);
    return e.status;
  }
  // A report that could not be written in full is a failed run, not a success.
  if (fflush(stdout) != 0 || ferror(stdout)) {
    perror("Write standard output");
    return 1;
  }
  return status;
}
