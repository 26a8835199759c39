#include "model/segment.h"

#include <algorithm>

const substitution_costs::partner* substitution_costs::find(int32_t ref, int32_t hyp) const {
  const size_t r = static_cast<size_t>(ref);
  if (r + 1 >= ref_begin.size()) {
    return nullptr;
  }
  const partner* b = partners.data() + ref_begin[r];
  const partner* e = partners.data() + ref_begin[r + 1];
  const partner* it =
      std::lower_bound(b, e, hyp, [](const partner& p, int32_t h) { return p.hyp < h; });
  return it != e && it->hyp == hyp ? it : nullptr;
}
