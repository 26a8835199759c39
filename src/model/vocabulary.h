// The vocabularies of one evaluation: entity types and error types. Records
// hold dense ids; names are looked up only to print them or to hand them to
// the task description.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Names by dense id, given in order of first appearance, with the reverse
// lookup. Names are exact byte strings (case-sensitive, zero bytes kept).
class name_table {
 public:
  // Id of `name`, adding it at the end when absent.
  int get(std::string_view name);
  // Id of `name`, or -1 when absent. Never adds.
  int find(std::string_view name) const;

  const std::string& name(int id) const { return names_[static_cast<size_t>(id)]; }
  bool has(int id) const { return id >= 0 && static_cast<size_t>(id) < names_.size(); }
  int size() const { return static_cast<int>(names_.size()); }
  const std::vector<std::string>& names() const { return names_; }

 private:
  std::vector<std::string> names_;
  std::map<std::string, int, std::less<>> ids_;
};

struct vocabularies {
  name_table types;   // entity types, fixed once the description is loaded
  name_table errors;  // error types, grown while the costs are read
};
