#include "reports/error_order.h"

#include <algorithm>
#include <string>

#include "base/utf8.h"

bool error_name_before(std::string_view a, std::string_view b) {
  const bool a_utf8 = is_utf8(a), b_utf8 = is_utf8(b);
  if (a_utf8 && b_utf8) {
    return a < b;
  }
  const std::string ra = a_utf8 ? std::string(a) : repaired_utf8(a);
  const std::string rb = b_utf8 ? std::string(b) : repaired_utf8(b);
  return ra != rb ? ra < rb : a < b;
}

error_order::error_order(const name_table& errors) {
  ids_.resize(static_cast<size_t>(errors.size()));
  for (int32_t id = 0; id < errors.size(); id++) {
    ids_[static_cast<size_t>(id)] = id;
  }
  std::sort(ids_.begin(), ids_.end(), [&](int32_t a, int32_t b) {
    return error_name_before(errors.name(a), errors.name(b));
  });
  rank_.resize(ids_.size());
  for (size_t i = 0; i < ids_.size(); i++) {
    rank_[static_cast<size_t>(ids_[i])] = static_cast<int32_t>(i);
  }
}

void error_order::sort(view<const int32_t> list, std::vector<int32_t>& out) const {
  out.assign(list.begin(), list.end());
  std::sort(out.begin(), out.end(), [&](int32_t a, int32_t b) {
    return rank_[static_cast<size_t>(a)] < rank_[static_cast<size_t>(b)];
  });
}
