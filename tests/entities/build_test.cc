// Entities built from the tags of the annotated text format.
#include "entities/build.h"

#include <vector>

#include "render.h"
#include "support/test_support.h"
#include "type_ids.h"

namespace {

simple_tag open_tag(int tagid, int pos, int line = 1, int col = 0) {
  return simple_tag(tagid, false, pos, line, col);
}

simple_tag close_tag(int tagid, int pos, int line = 1, int col = 0) {
  return simple_tag(tagid, true, pos, line, col);
}

void build(entity_set& entities, const std::vector<simple_tag>& tags, const char* fname, bool hyp,
           const name_table& types) {
  text_tags doc;
  doc.tags = tags;
  build_entities_from_tags(entities, doc, fname, hyp, types);
}

std::string built(const name_table& types, const std::vector<simple_tag>& tags) {
  entity_set entities;
  build(entities, tags, "ref.txt", false, types);
  return show_entities(entities, types);
}

class simple_build : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc", "org"});
};

TEST_F(simple_build, well_formed_lists) {
  struct {
    std::vector<simple_tag> tags;
    const char* expected;
  } cases[] = {
      {{}, ""},
      // <org><loc>Paris</loc></org>: both start and end together.
      {{open_tag(org, 0), open_tag(loc, 0), close_tag(loc, 5), close_tag(org, 5)},
       "org[0:5]d0 loc[0:5]d1"},
      {{open_tag(pers, 0), close_tag(pers, 4), open_tag(loc, 8), close_tag(loc, 13)},
       "pers[0:4]d0 loc[8:13]d0"},
      // Numbered by opening tag, depth counts what is still open around it.
      {{open_tag(org, 0), open_tag(pers, 2), close_tag(pers, 4), open_tag(loc, 5),
        open_tag(pers, 5), close_tag(pers, 6), close_tag(loc, 7), close_tag(org, 9)},
       "org[0:9]d0 pers[2:4]d1 loc[5:7]d1 pers[5:6]d2"},
      // Closing tags at the very position of their opening tags are built as they are.
      {{open_tag(pers, 3), close_tag(pers, 3)}, "pers[3:3]d0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, built(types, c.tags));
  }
}

TEST_F(simple_build, fields_come_from_the_opening_tag) {
  text_tags doc;
  const uint32_t first = doc.attributes.add("a", "1");
  doc.attributes.add("a", "2");
  doc.attributes.add("c", "");
  doc.tags.push_back(simple_tag(pers, false, 0, 2, 7, first, 3));
  doc.tags.push_back(simple_tag(pers, true, 3, 4, 1, doc.attributes.add("ignored", "x"), 1));
  entity_set entities;
  build_entities_from_tags(entities, doc, "hyp.txt", true, types);
  ASSERT_EQ(1u, entities.size());
  EXPECT_EQ("pers[0:3]d0{a=1,a=2,c=}", show_entities(entities, types));
  EXPECT_EQ(2, entities[0].line);
  EXPECT_EQ(7, entities[0].col);
  EXPECT_TRUE(entities[0].hyp);
  // Annotated text has no links, and nothing is costed yet.
  EXPECT_TRUE(entities.links.empty());
  EXPECT_EQ(-1, entities.parent(0));
  EXPECT_EQ(-1, entities.left_constraint(0));
  EXPECT_TRUE(entities.miss.empty());
}

TEST_F(simple_build, attributes_follow_their_entities) {
  // <org k=v><pers><loc a b=2>x</loc></pers></org>, the tags' runs out of
  // entity order in the pool.
  text_tags doc;
  doc.attributes.add("dropped", "");
  const uint32_t loc_attrs = doc.attributes.add("a", "");
  doc.attributes.add("b", "2");
  const uint32_t org_attrs = doc.attributes.add("k", "v");
  doc.tags = {simple_tag(org, false, 0, 1, 0, org_attrs, 1),
              open_tag(pers, 0),
              simple_tag(loc, false, 0, 1, 0, loc_attrs, 2),
              close_tag(loc, 1),
              close_tag(pers, 1),
              close_tag(org, 1)};
  entity_set entities;
  build_entities_from_tags(entities, doc, "ref.txt", false, types);
  EXPECT_EQ("org[0:1]d0{k=v} pers[0:1]d1 loc[0:1]d2{a=,b=2}", show_entities(entities, types));
}

TEST_F(simple_build, nesting_faults) {
  entity_set entities;
  EXPECT_FATAL(build(entities, {close_tag(pers, 0, 3, 9)}, "ref.txt", false, types), 1,
               "ref.txt:3:9: Found closing pers tag without a matching opening one.\n");
  entities = entity_set();
  // <pers>a</loc>
  EXPECT_FATAL(
      build(entities, {open_tag(pers, 0), close_tag(loc, 1, 1, 7)}, "ref.txt", false, types), 1,
      "ref.txt:1:7: Found closing loc tag for an opening pers tag.\n");
  entities = entity_set();
  // <pers><loc>x</pers>: the innermost open entity is the one compared.
  EXPECT_FATAL(build(entities, {open_tag(pers, 0), open_tag(loc, 0), close_tag(pers, 1, 2, 4)},
                     "ref.txt", false, types),
               1, "ref.txt:2:4: Found closing pers tag for an opening loc tag.\n");
  entities = entity_set();
  // A closing tag after every entity is closed again.
  EXPECT_FATAL(build(entities, {open_tag(loc, 0), close_tag(loc, 2), close_tag(loc, 2, 1, 12)},
                     "ref.txt", false, types),
               1, "ref.txt:1:12: Found closing loc tag without a matching opening one.\n");
}

TEST_F(simple_build, unclosed_tags_name_the_innermost) {
  entity_set entities;
  // <pers><loc>x</loc>
  EXPECT_FATAL(build(entities, {open_tag(pers, 0, 4, 2), open_tag(loc, 0, 5, 0), close_tag(loc, 1)},
                     "hyp.txt", true, types),
               1, "hyp.txt: Missing closing tag for pers (line 4) at end of file.\n");
  entities = entity_set();
  EXPECT_FATAL(
      build(entities, {open_tag(pers, 0, 4, 2), open_tag(org, 0, 6, 0)}, "hyp.txt", true, types), 1,
      "hyp.txt: Missing closing tag for org (line 6) at end of file.\n");
}

}  // namespace
