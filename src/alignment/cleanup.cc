// Final form of the unmapped lists: entities that the chosen path paired in a
// later segment are no longer listed as unmapped where they started.
#include <algorithm>
#include <vector>

#include "alignment/align.h"

void cleanup_unmapped(alignment_result& result, size_t nref, size_t nhyp) {
  std::vector<bool> ref_paired(nref), hyp_paired(nhyp);
  for (const pairing& p : result.pairs) {
    ref_paired[static_cast<size_t>(p.ref)] = true;
    hyp_paired[static_cast<size_t>(p.hyp)] = true;
  }
  auto paired = [&](int32_t id) {
    return id >= 0 ? ref_paired[static_cast<size_t>(id)] : hyp_paired[static_cast<size_t>(-1 - id)];
  };
  result.unmapped.erase(std::remove_if(result.unmapped.begin(), result.unmapped.end(),
                                       [&](const unmapped_entity& u) { return paired(u.id); }),
                        result.unmapped.end());
}
