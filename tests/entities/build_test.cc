// Entities built from the tags of the annotated text format.
#include "entities/build.h"

#include <list>
#include <vector>

#include "render.h"
#include "support/test_support.h"

namespace {

// Tag names are type ids after set_types({"pers", "loc", "org"}).
enum { pers, loc, org };

simple_tag open_tag(int tagid, int pos, int line = 1, int col = 0, const attr_list& attr = {}) {
  return simple_tag(tagid, false, pos, line, col, attr);
}

simple_tag close_tag(int tagid, int pos, int line = 1, int col = 0) {
  return simple_tag(tagid, true, pos, line, col, {});
}

std::string built(const name_table& types, const std::list<simple_tag>& tags) {
  std::vector<entity> entities;
  build_entities_from_tags(entities, tags, "ref.txt", false, types);
  return show_entities(entities, types);
}

class simple_build : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc", "org"});
};

TEST_F(simple_build, well_formed_lists) {
  struct {
    std::list<simple_tag> tags;
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
  std::list<simple_tag> tags = {open_tag(pers, 0, 2, 7, {{"a", "1"}, {"a", "2"}, {"c", ""}}),
                                simple_tag(pers, true, 3, 4, 1, {{"ignored", "x"}})};
  std::vector<entity> entities;
  build_entities_from_tags(entities, tags, "hyp.txt", true, types);
  ASSERT_EQ(1u, entities.size());
  EXPECT_EQ("pers[0:3]d0{a=1,a=2,c=}", show_entities(entities, types));
  EXPECT_EQ(2, entities[0].line);
  EXPECT_EQ(7, entities[0].col);
  EXPECT_TRUE(entities[0].hyp);
  EXPECT_EQ(nullptr, entities[0].parent);
  EXPECT_EQ(nullptr, entities[0].left_constraint);
  EXPECT_FALSE(entities[0].paired);
}

TEST_F(simple_build, nesting_faults) {
  std::vector<entity> entities;
  EXPECT_FATAL(
      build_entities_from_tags(entities, {close_tag(pers, 0, 3, 9)}, "ref.txt", false, types), 1,
      "ref.txt:3:9: Found closing pers tag without a matching opening one.\n");
  entities.clear();
  // <pers>a</loc>
  EXPECT_FATAL(build_entities_from_tags(entities, {open_tag(pers, 0), close_tag(loc, 1, 1, 7)},
                                        "ref.txt", false, types),
               1, "ref.txt:1:7: Found closing loc tag for an opening pers tag.\n");
  entities.clear();
  // <pers><loc>x</pers>: the innermost open entity is the one compared.
  EXPECT_FATAL(build_entities_from_tags(
                   entities, {open_tag(pers, 0), open_tag(loc, 0), close_tag(pers, 1, 2, 4)},
                   "ref.txt", false, types),
               1, "ref.txt:2:4: Found closing pers tag for an opening loc tag.\n");
  entities.clear();
  // A closing tag after every entity is closed again.
  EXPECT_FATAL(build_entities_from_tags(
                   entities, {open_tag(loc, 0), close_tag(loc, 2), close_tag(loc, 2, 1, 12)},
                   "ref.txt", false, types),
               1, "ref.txt:1:12: Found closing loc tag without a matching opening one.\n");
}

TEST_F(simple_build, unclosed_tags_name_the_innermost) {
  std::vector<entity> entities;
  // <pers><loc>x</loc>
  EXPECT_FATAL(build_entities_from_tags(
                   entities, {open_tag(pers, 0, 4, 2), open_tag(loc, 0, 5, 0), close_tag(loc, 1)},
                   "hyp.txt", true, types),
               1, "hyp.txt: Missing closing tag for pers (line 4) at end of file.\n");
  entities.clear();
  EXPECT_FATAL(build_entities_from_tags(entities, {open_tag(pers, 0, 4, 2), open_tag(org, 0, 6, 0)},
                                        "hyp.txt", true, types),
               1, "hyp.txt: Missing closing tag for org (line 6) at end of file.\n");
}

}  // namespace
