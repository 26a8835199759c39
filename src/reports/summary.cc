// The summary report: slot error rate, counts, precision, recall and
// F-measure, overall and per entity type.
#include <cstdio>

#include "description/vocabulary.h"
#include "reports/outcome.h"
#include "reports/reports.h"

namespace {

void show_type_rows(int tc, const std::vector<int>& tag_hypcount,
                    const std::vector<int>& tag_refcount, const std::vector<int>& tag_correct) {
  for (int i = 0; i < tc; i++) {
    int h = tag_hypcount[i];
    int r = tag_refcount[i];
    int k = tag_correct[i];
    if (h == 0 && r == 0) {
      continue;
    }
    double cc = 100.0 * k;
    double p = h ? cc / h : 0;
    double rc = r ? cc / r : 0;
    // h + r is not 0 here, and the sum of two counts is taken without overflow.
    double f = 2 * cc / (static_cast<double>(h) + r);
    printf("%5.1f%% %5.1f%% %5.1f%% %s (hyp_count=%d, ref_count=%d, correct=%d)\n", p, rc, f,
           tag_names[i].c_str(), h, r, k);
  }
}

}  // namespace

void show_summary(const std::vector<segment>& segments, int count_ref, int count_hyp) {
  const outcome_counts c = count_outcomes(segments);

  // Without reference entities these divisions give inf or nan, which printf
  // renders as such; the report still completes.
  double r = count_ref;
  printf("Slot Error Rate: %5.1f%% (%g %d)\n\n", 100 * c.ser / r, c.ser, count_ref);
  printf("%6d %5.1f%% corrects\n", c.count_correct, c.count_correct * 100.0 / r);
  printf("%6d %5.1f%% inserts\n", c.count_insert, c.count_insert * 100.0 / r);
  printf("%6d %5.1f%% deletes\n", c.count_delete, c.count_delete * 100.0 / r);
  printf("%6d %5.1f%% substitutions\n", c.count_subst, c.count_subst * 100.0 / r);
  printf("%6d %5.1f%% total errors\n\n", c.count_total, c.count_total * 100.0 / r);
  if (count_hyp != 0) {
    printf("%5.1f%% overall precision (%d entities in hypothesis)\n",
           c.count_correct * 100.0 / count_hyp, count_hyp);
  } else {
    printf("   0.0%% overall precision (0 entities in hypothesis)\n");
  }
  printf("%5.1f%% overall recall (%d entities in reference)\n", c.count_correct * 100.0 / r,
         count_ref);
  printf("%5.1f%% overall F-measure\n\n",
         2.0 * c.count_correct * 100 / (static_cast<double>(count_ref) + count_hyp));
  printf("   P      R      F   tag\n");
  show_type_rows(c.tc, c.tag_hypcount, c.tag_refcount, c.tag_correct);
}
