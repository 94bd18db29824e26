// The public request is a value: what one copy is told, the other does not hear.

#include <gtest/gtest.h>
#include <tad/tad.h>

#include <string>
#include <vector>

namespace {

using Keywords = std::vector<std::string>;

TEST(RequestTest, CopiesAndAssignmentsAreIndependentOfTheirOriginal) {
  tad::Request original;
  original.addKeyword("garden");
  original.setAdditionalParameter("shelf", "top");

  tad::Request copy = original;
  tad::Request assigned;
  assigned = original;
  copy.addKeyword("tools");
  assigned.addKeyword("hoses");
  original.addKeyword("seeds");
  original.setAdditionalParameter("shelf", "bottom");

  EXPECT_EQ(original.keywords(), (Keywords{"garden", "seeds"}));
  EXPECT_EQ(copy.keywords(), (Keywords{"garden", "tools"}));
  EXPECT_EQ(assigned.keywords(), (Keywords{"garden", "hoses"}));
  EXPECT_NE(copy.description().find("top"), std::string::npos) << copy.description();
  EXPECT_EQ(copy.description().find("bottom"), std::string::npos) << copy.description();
}

}  // namespace
