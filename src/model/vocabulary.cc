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
