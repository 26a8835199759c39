#include "reports/agreement.h"

agreement_report measure_agreement(const outcome_counts& c, bool open, int expected_count) {
  const int type_count = static_cast<int>(c.hyp_per_type.size());
  const int count_ref = c.reference_entities;
  const int count_hyp = c.hypothesis_entities;
  const int k = c.corrects;
  const int u = c.substitutions;
  // Without confusions a substitution is two void pairings, not one item.
  const int void_hyp_n = open ? count_ref - k : count_ref - k - u;
  const int void_ref_n = open ? count_hyp - k : count_hyp - k - u;
  const int rt_n = open ? void_hyp_n + k + void_ref_n : (k + u) + void_hyp_n + void_ref_n;
  const double void_hyp = void_hyp_n;
  const double void_ref = void_ref_n;
  const double rt = rt_n;

  // Taken in doubles: any int expected count minus the items must not overflow.
  double ovc = expected_count - rt;
  double a0;
  if (ovc < 0) {
    ovc = 0;
    a0 = k / rt;
  } else if (ovc != 0) {
    a0 = (k / ovc + 1) / (rt / ovc + 1);
  } else {
    a0 = k / rt;
  }

  const double aes = 1.0 / (type_count + 1);
  const double s = (a0 - aes) / (1 - aes);

  double sigma_pi = (void_hyp + void_ref) * (void_hyp + void_ref);
  double sigma_kappa = void_hyp * void_ref;
  for (int t = 0; t < type_count; t++) {
    const size_t i = static_cast<size_t>(t);
    double both = static_cast<double>(c.hyp_per_type[i]) + c.ref_per_type[i];
    sigma_pi += both * both;
    sigma_kappa += static_cast<double>(c.hyp_per_type[i]) * c.ref_per_type[i];
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
  return agreement_report{rt_n, k, ovc, type_count, s, pi, kappa, f_measure};
}
