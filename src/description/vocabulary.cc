#include "description/vocabulary.h"

std::vector<std::string> tag_names;
std::map<std::string, int> tag_names_map;
std::vector<std::string> error_names;
std::map<std::string, int> error_names_map;

int any_get(std::string t, std::vector<std::string>& vt, std::map<std::string, int>& mt) {
  auto it = mt.find(t);
  if (it != mt.end()) {
    return it->second;
  }
  int id = static_cast<int>(vt.size());
  vt.push_back(t);
  mt.emplace(std::move(t), id);
  return id;
}

int tag_get(std::string name) {
  return any_get(std::move(name), tag_names, tag_names_map);
}

int tag_find(std::string name) {
  auto it = tag_names_map.find(name);
  return it == tag_names_map.end() ? -1 : it->second;
}

int error_get(std::string name) {
  return any_get(std::move(name), error_names, error_names_map);
}

void reset_vocabularies() {
  tag_names.clear();
  tag_names_map.clear();
  error_names.clear();
  error_names_map.clear();
}
