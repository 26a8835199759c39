#include "model/tags.h"

uint32_t attribute_pool::add(std::string_view name, std::string_view value) {
  item it{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(name.size()), 0,
          static_cast<uint32_t>(value.size())};
  text_.append(name);
  it.value = static_cast<uint32_t>(text_.size());
  text_.append(value);
  items_.push_back(it);
  return static_cast<uint32_t>(items_.size() - 1);
}
