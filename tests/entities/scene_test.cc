// The tests' scene language reads back what it renders.
#include <gtest/gtest.h>

#include "support/entity_scene.h"

namespace {

TEST(Scene, ReadsBackWhatItRenders) {
  for (const char* scene : {
           "",
           "pers[0:4]d0",
           "pers[0:4]d0 org[0,2:9,12]d1^0{kind=company,x=}@3 ?[5:6]d2^1<0",
           "loc[1:2]d0@7 loc[1:2]d0",
       }) {
    entity_set set;
    name_table types;
    add_entities(set, scene, types, false);
    EXPECT_EQ(scene, show_entities(set, types, true));
  }
}

TEST(Scene, TypesAreLookedUpOrAdded) {
  entity_set set;
  name_table types;
  types.get("org");
  add_entities(set, "pers[0:4] org[5:6] pers[7:9]", types, true);
  ASSERT_EQ(3u, set.size());
  EXPECT_EQ(1, set[0].tagid);
  EXPECT_EQ(0, set[1].tagid);
  EXPECT_TRUE(set[2].hyp);
  EXPECT_TRUE(set.links.empty());
  EXPECT_EQ("pers[0:4]d0 org[5:6]d0 pers[7:9]d0", show_entities(set, types));
}

}  // namespace
