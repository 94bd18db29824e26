// The public request is a value: what one copy is told, the other does not hear, and it reads the
// same as another that asks the same. The library says which version it is at run time.

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

// No address, which would differ from copy to copy and run to run, only the hints.
TEST(RequestTest, TheDescriptionTellsTheHintsAlone) {
  tad::Request request;
  request.addKeyword("garden");
  request.setGender(tad::Request::Gender::Female);
  tad::Request same;
  same.setGender(tad::Request::Gender::Female);
  same.addKeyword("garden");
  EXPECT_EQ(request.description(), same.description());
  EXPECT_EQ(request.description().rfind("tad::Request\ngender:Female\nkeywords:", 0), 0u)
      << request.description();
  EXPECT_EQ(tad::Request().description(), "tad::Request");
}

// Each privacy signal reads back as set until cleared (an empty text clears), on its copy alone,
// and the description tells those set.
TEST(RequestTest, PrivacySignalsReadBackAsSetUntilCleared) {
  tad::Request request;
  request.setConsentRegimeApplies(false);
  request.setConsentString("ads");
  request.setUSPrivacyString("choices-7");
  request.setChildDirectedTreatment(true);
  tad::Request copy = request;
  request.clearConsentRegimeApplies();
  request.setConsentString("");
  request.clearChildDirectedTreatment();

  EXPECT_EQ(copy.consentRegimeApplies(), false);
  EXPECT_EQ(copy.consentString(), "ads");
  EXPECT_EQ(copy.usPrivacyString(), "choices-7");
  EXPECT_EQ(copy.childDirectedTreatment(), true);
  EXPECT_EQ(copy.description(),
            "tad::Request\nconsentRegimeApplies:no\nconsentString:ads\nusPrivacyString:choices-7"
            "\nchildDirectedTreatment:yes");
  EXPECT_EQ(request.consentRegimeApplies(), std::nullopt);
  EXPECT_EQ(request.consentString(), "");
  EXPECT_EQ(request.childDirectedTreatment(), std::nullopt);
  EXPECT_EQ(request.description(), "tad::Request\nusPrivacyString:choices-7");
}

TEST(RequestTest, TheLibraryRunningIsTheOneTheHeadersDescribe) {
  EXPECT_EQ(std::to_string(tad::majorVersion()) + "." + std::to_string(tad::minorVersion()) + "." +
                std::to_string(tad::microVersion()),
            TAD_VERSION_STRING);
}

}  // namespace
