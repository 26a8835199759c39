// The agreement report: S, Scott's pi, Cohen's kappa and F-measure, with the
// reference and the hypothesis taken as two annotators.
#include <cstdio>

#include "driver/options.h"
#include "reports/outcome.h"
#include "reports/reports.h"

void show_iag(const std::vector<segment>& segments, int count_ref, int count_hyp) {
  const outcome_counts c = count_outcomes(segments);

  const int k = c.count_correct;
  const int u = c.count_subst;
  // Without confusions a substitution is two void pairings, not one item.
  const int void_hyp_n = opt_open ? count_ref - k : count_ref - k - u;
  const int void_ref_n = opt_open ? count_hyp - k : count_hyp - k - u;
  const int rt_n = opt_open ? void_hyp_n + k + void_ref_n : (k + u) + void_hyp_n + void_ref_n;
  const double void_hyp = void_hyp_n;
  const double void_ref = void_ref_n;
  const double rt = rt_n;

  // Taken in doubles: any int expected count minus the items must not overflow.
  double ovc = opt_expected_count - rt;
  double a0;
  if (ovc < 0) {
    ovc = 0;
    a0 = k / rt;
  } else if (ovc != 0) {
    a0 = (k / ovc + 1) / (rt / ovc + 1);
  } else {
    a0 = k / rt;
  }

  const double aes = 1.0 / (c.tc + 1);
  const double s = (a0 - aes) / (1 - aes);

  double sigma_pi = (void_hyp + void_ref) * (void_hyp + void_ref);
  double sigma_kappa = void_hyp * void_ref;
  for (int t = 0; t < c.tc; t++) {
    double both = static_cast<double>(c.tag_hypcount[t]) + c.tag_refcount[t];
    sigma_pi += both * both;
    sigma_kappa += static_cast<double>(c.tag_hypcount[t]) * c.tag_refcount[t];
  }

  const double k2 = 2.0 * k;
  const double k4 = 4.0 * k;
  const double k8 = 8.0 * k;
  double pi, kappa;
  if (ovc == 0) {
    pi = (k4 * rt - sigma_pi) / (4 * rt * rt - sigma_pi);
    kappa = (rt * k - sigma_kappa) / (rt * rt - sigma_kappa);
  } else {
    pi = ((k4 * rt - sigma_pi) / ovc + k8 - 4 * (rt - k)) / (k8 + (4 * rt * rt - sigma_pi) / ovc);
    kappa = ((rt * k - sigma_kappa) / ovc + k2) / (k + rt + (rt * rt - sigma_kappa) / ovc);
  }
  const double f_measure = k2 / (static_cast<double>(count_ref) + count_hyp);

  // With no item, no type or no entity the values above are inf or nan and
  // print as such; only finite integer counts are printed with %d.
  printf("Total entities: %d\n", rt_n);
  printf("Correct: %d\n", k);
  printf("Added void/void corrects: %g\n", ovc);
  printf("Tag types: %d\n", c.tc);
  printf("\n");
  printf("S         = %7.5f\n", s);
  printf("Pi        = %7.5f\n", pi);
  printf("Kappa     = %7.5f\n", kappa);
  printf("F-measure = %7.5f\n", f_measure);
}
