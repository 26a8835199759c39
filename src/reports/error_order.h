// Error names in one order for the reports that are read by programs (JSON,
// the page): bytewise ascending order of their UTF-8 bytes. A description's
// answer lists its names in the order they first appeared in the run, which
// changes from one document to the next; the text listing keeps that order.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "model/view.h"
#include "model/vocabulary.h"

// Whether error name `a` comes before `b`: by the bytes of their UTF-8 as
// the reports write it (a byte that begins no UTF-8 sequence as U+FFFD),
// then, for two names written alike, by their own bytes.
bool error_name_before(std::string_view a, std::string_view b);

// The error names of one evaluation in that order.
class error_order {
 public:
  explicit error_order(const name_table& errors);

  // The error ids, in order of their names; a temporary's by value, so that
  // a loop over error_order(names).ids() holds them.
  const std::vector<int32_t>& ids() const& { return ids_; }
  std::vector<int32_t> ids() && { return std::move(ids_); }
  // The ids of `list` in order of their names, into `out`; a name listed
  // twice stays twice.
  void sort(view<const int32_t> list, std::vector<int32_t>& out) const;

 private:
  std::vector<int32_t> ids_;
  std::vector<int32_t> rank_;  // by error id: its place in ids_
};
