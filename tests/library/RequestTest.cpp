// The public request is a value: what one copy is told, the other does not hear, and it reads the
// same as another that asks the same. The library says which version it is at run time.

#include <gtest/gtest.h>
#include <tad/tad-gobject.h>
#include <tad/tad.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/Log.h"

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

  auto signals = [](const tad::Request& r) {
    return std::tuple(r.consentRegimeApplies(), r.consentString(), r.usPrivacyString(),
                      r.childDirectedTreatment());
  };
  EXPECT_EQ(signals(copy), std::tuple(false, "ads", "choices-7", true));
  EXPECT_EQ(copy.description(),
            "tad::Request\nconsentRegimeApplies:no\nconsentString:ads\nusPrivacyString:choices-7"
            "\nchildDirectedTreatment:yes");
  EXPECT_EQ(signals(request), std::tuple(std::nullopt, "", "choices-7", std::nullopt));
  EXPECT_EQ(request.description(), "tad::Request\nusPrivacyString:choices-7");
}

TEST(RequestTest, TheLibraryRunningIsTheOneTheHeadersDescribe) {
  EXPECT_EQ(std::to_string(tad::majorVersion()) + "." + std::to_string(tad::minorVersion()) + "." +
                std::to_string(tad::microVersion()),
            TAD_VERSION_STRING);
  // The C face's too, and its check refuses another major version or an older minor one.
  EXPECT_EQ(std::to_string(tad_get_major_version()) + "." +
                std::to_string(tad_get_minor_version()) + "." +
                std::to_string(tad_get_micro_version()),
            TAD_VERSION_STRING);
  EXPECT_TRUE(TAD_CHECK_VERSION(TAD_MAJOR_VERSION, TAD_MINOR_VERSION, TAD_MICRO_VERSION));
  EXPECT_FALSE(TAD_CHECK_VERSION(TAD_MAJOR_VERSION, TAD_MINOR_VERSION + 1, 0));
  EXPECT_EQ(tad_check_version(TAD_MAJOR_VERSION, TAD_MINOR_VERSION, TAD_MICRO_VERSION), nullptr);
  EXPECT_EQ(tad_check_version(TAD_MAJOR_VERSION, 0, 0), nullptr);
  EXPECT_NE(tad_check_version(TAD_MAJOR_VERSION, TAD_MINOR_VERSION + 1, 0), nullptr);
  EXPECT_NE(tad_check_version(TAD_MAJOR_VERSION - 1, TAD_MINOR_VERSION, 0), nullptr);
}

// The C request keeps what it is told as the C++ one does, and reads the same.
TEST(RequestTest, TheCRequestKeepsItsHintsAsTheCppOne) {
  TadRequest* request = tad_request_new();
  tad_request_add_keyword(request, "garden");
  tad_request_add_keyword(request, "");
  tad_request_set_gender(request, TAD_GENDER_FEMALE);
  tad_request_set_consent_regime_applies(request, TRUE);
  tad_request_set_consent_string(request, "ads");
  tad_request_set_child_directed_treatment(request, FALSE);
  char** keywords = tad_request_get_keywords(request);
  EXPECT_EQ(Keywords(keywords, keywords + g_strv_length(keywords)), Keywords{"garden"});
  g_strfreev(keywords);
  tad::Request same;
  same.setGender(tad::Request::Gender::Female);
  same.addKeyword("garden");
  same.setConsentRegimeApplies(true);
  same.setConsentString("ads");
  same.setChildDirectedTreatment(false);
  char* description = tad_request_to_string(request);
  EXPECT_EQ(description, same.description());
  g_free(description);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  tad_request_set_testing(request, TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  EXPECT_TRUE(tad_request_get_testing(request));
  gboolean flag = FALSE;
  EXPECT_TRUE(tad_request_get_consent_regime_applies(request, &flag) && flag);
  EXPECT_TRUE(tad_request_get_child_directed_treatment(request, &flag) && !flag);
  tad_request_clear_child_directed_treatment(request);
  EXPECT_FALSE(tad_request_get_child_directed_treatment(request, nullptr));
  EXPECT_EQ(tad_request_get_us_privacy_string(request), nullptr);
  tad_request_set_consent_string(request, nullptr);
  EXPECT_EQ(tad_request_get_consent_string(request), nullptr);
  g_object_unref(request);
}

// A C writer gets each line with its level and source, and its data is freed once, when another
// writer takes its place.
TEST(RequestTest, TheCLogWriterGetsTheLinesAndFreesItsDataOnce) {
  struct Seen {
    std::vector<std::string> lines;
    int freed = 0;
  } seen;
  tad_set_log_writer(
      [](GLogLevelFlags level, TadLogSource source, const char* text, gpointer data) {
        static_cast<Seen*>(data)->lines.push_back(std::to_string(level) + " " +
                                                  std::to_string(source) + " " + text);
      },
      &seen, [](gpointer data) { ++static_cast<Seen*>(data)->freed; });
  base::Log::write(base::Log::Level::Warning, base::Log::Source::Library, "a library line");
  base::Log::write(base::Log::Level::Info, base::Log::Source::Page, "a page line");
  tad_set_log_writer(nullptr, nullptr, nullptr);
  base::Log::write(base::Log::Level::Info, base::Log::Source::Page, "after");
  EXPECT_EQ(seen.lines,
            (std::vector<std::string>{std::to_string(G_LOG_LEVEL_WARNING) + " 0 a library line",
                                      std::to_string(G_LOG_LEVEL_INFO) + " 1 a page line"}));
  EXPECT_EQ(seen.freed, 1);
}

}  // namespace
