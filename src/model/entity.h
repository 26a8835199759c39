// One annotated stretch of text, of the reference or of the hypothesis.
#pragma once

#include <map>
#include <vector>

#include "model/error_d.h"
#include "model/tags.h"

struct entity;

// Costs indexed [start candidate index][end candidate index].
using cost_table = std::vector<std::vector<error_d>>;

struct entity {
  int tagid = -1;          // entity type id; -1 marks an aref id slot no marker described
  std::vector<int> start;  // start candidates: offsets of the first byte in the reference text
  std::vector<int> end;    // end candidates: offsets just past the last byte
  attr_list attr;          // attributes of the opening tag
  int line = 0;            // line and column of the opening tag in the entity's own file
  int col = 0;
  int depth = 0;
  bool hyp = false;
  entity* parent = nullptr;                          // aref: the enclosing entity
  entity* left_constraint = nullptr;                 // aref: the preceding sibling
  cost_table miss_errors;                            // cost of leaving the entity unpaired
  std::map<const entity*, cost_table> subst_errors;  // reference only: cost of each pairing
  bool paired = false;

  entity() = default;
  entity(int tagid_, int line_, int col_, int depth_, bool hyp_, const attr_list& attr_)
      : tagid(tagid_), attr(attr_), line(line_), col(col_), depth(depth_), hyp(hyp_) {}
  entity(entity&&) = default;
  entity& operator=(entity&&) = default;
  entity(const entity&) = delete;
  entity& operator=(const entity&) = delete;
};
