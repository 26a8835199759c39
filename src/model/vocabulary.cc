#include "model/vocabulary.h"

int name_table::get(std::string_view name) {
  auto it = ids_.find(name);
  if (it != ids_.end()) {
    return it->second;
  }
  int id = size();
  names_.emplace_back(name);
  ids_.emplace(names_.back(), id);
  return id;
}

int name_table::find(std::string_view name) const {
  auto it = ids_.find(name);
  return it == ids_.end() ? -1 : it->second;
}

error_list_table::error_list_table() : begin_{0, 0} {
  index_.emplace(std::string(), 0);
}

int32_t error_list_table::intern(const int32_t* ids, size_t count) {
  // Most answers name one error: those lists are found without hashing.
  if (count == 1 && static_cast<size_t>(ids[0]) < single_.size() &&
      single_[static_cast<size_t>(ids[0])] >= 0) {
    return single_[static_cast<size_t>(ids[0])];
  }
  key_.assign(reinterpret_cast<const char*>(ids), count * sizeof(int32_t));
  auto it = index_.find(key_);
  if (it != index_.end()) {
    return it->second;
  }
  const int32_t id = static_cast<int32_t>(begin_.size() - 1);
  ids_.insert(ids_.end(), ids, ids + count);
  begin_.push_back(static_cast<uint32_t>(ids_.size()));
  index_.emplace(key_, id);
  if (count == 1) {
    if (static_cast<size_t>(ids[0]) >= single_.size()) {
      single_.resize(static_cast<size_t>(ids[0]) + 1, -1);
    }
    single_[static_cast<size_t>(ids[0])] = id;
  }
  return id;
}

bool nameable_type(std::string_view name) {
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c <= ' ' || c == 0x7f) {
      return false;
    }
  }
  return true;
}
