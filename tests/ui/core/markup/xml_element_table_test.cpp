#include "ui/core/markup/xml_element_table.h"

#include <gtest/gtest.h>

namespace {

TEST(XmlElementTableTest, GrowsByHalfPlusFiveHundred) {
  ui::XmlElementTable table;
  ASSERT_TRUE(table.Reset());
  EXPECT_EQ(table.Size(), 1u);  // the placeholder record 0
  EXPECT_EQ(table.Capacity(), 500u);
  uint32_t capacities[] = {500, 1250, 2375, 4062};
  int step = 0;
  for (uint32_t expected = 1; expected < 4062; ++expected) {
    ASSERT_EQ(table.Append(), expected);
    if (table.Capacity() != capacities[step]) {
      ++step;
      EXPECT_EQ(table.Capacity(), capacities[step]) << "after " << expected << " records";
    }
  }
  EXPECT_EQ(step, 3);
  table[4061].parent = 7;
  table.Release();
  EXPECT_EQ(table.Size(), 0u);
  EXPECT_EQ(table.Capacity(), 0u);
}

}  // namespace
