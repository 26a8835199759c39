// Tags as the document readers find them, with their place in the bare text
// and in the file.
#pragma once

#include <list>
#include <string>
#include <utility>

// Attributes of a tag or an entity, (name, value), in document order.
using attr_list = std::list<std::pair<std::string, std::string>>;

// One tag of the annotated text format.
struct simple_tag {
  int tagid;     // entity type id
  bool closing;  // a closing tag
  int pos;       // offset in the bare text (for the hypothesis, later in the reference text)
  int line;      // line of the tag's '<' in its file, from 1
  int col;       // column of the tag's '<', from 0, in bytes
  attr_list attr;

  simple_tag(int tagid_, bool closing_, int pos_, int line_, int col_, const attr_list& attr_)
      : tagid(tagid_), closing(closing_), pos(pos_), line(line_), col(col_), attr(attr_) {}
};

// One `annotation` marker of the aref format.
struct aref_tag {
  int id = 0;            // the entity the marker belongs to
  int tagid = 0;         // entity type id (the first type when absent)
  int pos = 0;           // offset in the bare text
  bool opening = false;  // a possible start
  bool closing = false;  // a possible end
  int depth = 0;
  int parent = -1;  // id of the enclosing entity, -1 for none
  int line = 0;
  int col = 0;
  attr_list attr;  // always empty: free attributes are an error in this format

  aref_tag() = default;
  aref_tag(int id_, int tagid_, int pos_, bool opening_, bool closing_, int depth_, int parent_,
           int line_, int col_)
      : id(id_),
        tagid(tagid_),
        pos(pos_),
        opening(opening_),
        closing(closing_),
        depth(depth_),
        parent(parent_),
        line(line_),
        col(col_) {}
};
