// Tags as the document readers find them, with their place in the bare text
// and in the file, and the attributes of tags and entities.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Attribute names and values, (name, value) in document order, held in one
// text pool; tags and entities refer to a run of them.
class attribute_pool {
 public:
  // Appends one attribute and returns its index.
  uint32_t add(std::string_view name, std::string_view value);
  std::string_view name(uint32_t i) const { return at(items_[i].name, items_[i].name_size); }
  std::string_view value(uint32_t i) const { return at(items_[i].value, items_[i].value_size); }
  uint32_t size() const { return static_cast<uint32_t>(items_.size()); }

 private:
  struct item {
    uint32_t name, name_size, value, value_size;
  };
  std::string_view at(uint32_t offset, uint32_t size) const {
    return std::string_view(text_.data() + offset, size);
  }
  std::string text_;
  std::vector<item> items_;
};

// One tag of the annotated text format.
struct simple_tag {
  int32_t tagid;   // entity type id
  int32_t pos;     // offset in the bare text (for the hypothesis, later in the reference text)
  int32_t line;    // line of the tag's '<' in its file, from 1
  int32_t col;     // column of the tag's '<', from 0, in bytes
  uint32_t attrs;  // its attributes: the first one's index in the document's pool
  uint32_t nattrs;
  bool closing;  // a closing tag

  simple_tag(int32_t tagid_, bool closing_, int32_t pos_, int32_t line_, int32_t col_,
             uint32_t attrs_ = 0, uint32_t nattrs_ = 0)
      : tagid(tagid_),
        pos(pos_),
        line(line_),
        col(col_),
        attrs(attrs_),
        nattrs(nattrs_),
        closing(closing_) {}
};

// Where an entity of a standoff document came from, so that reports can
// point back into the annotation tool: the annotation's line and id, and
// its fragments as the file gives them, in characters. An entity read from
// such a document holds its source's index in its column (entity::col).
struct annotation_source {
  int32_t line = 0;      // of the .ann; of a JSON line's document; a Label Studio task's number
  std::string id;        // brat's T12; a span's or a Label Studio result's "id", if given
  std::string name;      // as messages name it: T12, "span 2", "result 3"
  std::string document;  // a JSON line's or a task's id, if it has one
  int32_t span = 0;      // a JSON line's span, its number in the line from 1; a task's result's
                         // (0: brat)
  bool task = false;     // `line` is a Label Studio task's number
  std::vector<std::pair<int64_t, int64_t>> characters;
  int32_t text_start = 0;  // the byte where its document starts in the text evaluated
};

// The tags of an annotated text document and the pool of their attributes.
struct text_tags {
  std::vector<simple_tag> tags;
  attribute_pool attributes;
};

// One `annotation` marker of the aref format. It carries no free
// attributes: any attribute beyond the five below is an error there.
struct aref_tag {
  int32_t id = 0;        // the entity the marker belongs to
  int32_t tagid = 0;     // entity type id (the first type when absent)
  int32_t pos = 0;       // offset in the bare text
  int32_t depth = 0;     //
  int32_t parent = -1;   // id of the enclosing entity, -1 for none
  int32_t line = 0;      //
  int32_t col = 0;       //
  bool opening = false;  // a possible start
  bool closing = false;  // a possible end

  aref_tag() = default;
  aref_tag(int32_t id_, int32_t tagid_, int32_t pos_, bool opening_, bool closing_, int32_t depth_,
           int32_t parent_, int32_t line_, int32_t col_)
      : id(id_),
        tagid(tagid_),
        pos(pos_),
        depth(depth_),
        parent(parent_),
        line(line_),
        col(col_),
        opening(opening_),
        closing(closing_) {}
};
