// The vocabularies of one evaluation: entity types, error types and the
// lists of error types that cost records name. Records hold dense ids; names
// are looked up only to print them or to hand them to the task description.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/view.h"

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

// Lists of error type ids, each stored once: a cost record names its list by
// id. Id 0 is the empty list.
class error_list_table {
 public:
  error_list_table();
  // The id of the list `ids` (in the given order), adding it when new.
  int32_t intern(const int32_t* ids, size_t count);
  view<const int32_t> list(int32_t id) const {
    const uint32_t b = begin_[static_cast<size_t>(id)];
    return view<const int32_t>(ids_.data() + b, begin_[static_cast<size_t>(id) + 1] - b);
  }

 private:
  std::vector<int32_t> ids_;
  std::vector<uint32_t> begin_;  // list i is ids_[begin_[i], begin_[i + 1])
  std::vector<int32_t> single_;  // error id to the id of its one-name list, -1 before it is made
  std::unordered_map<std::string, int32_t> index_;
  std::string key_;  // reused lookup key: the ids' bytes
};

struct vocabularies {
  name_table types;              // entity types, fixed once the description is loaded
  name_table errors;             // error types, grown while the costs are read
  error_list_table error_lists;  // the lists of error types that cost records name
};

// Whether a tag can name the type: tags end at a blank (in token-per-line
// files, and in the annotated text's), and a control character in a name
// given by a caller is a slip.
bool nameable_type(std::string_view name);
