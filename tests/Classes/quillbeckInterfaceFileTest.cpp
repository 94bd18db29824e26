#include "Classes/quillbeckInterfaceFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "Classes/quillbeckClips.h"
#include "Classes/quillbeckInterface.h"
#include "platform/sim/SimPlatform.h"
#include "platform/ui/View.h"

namespace {

bool overlap(const platform::Rect& a, const platform::Rect& b) {
  return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

// The shipped files: every clip of the table and stop, once each, clear of each other and of the
// banner's strip, on screens of the given view size (both orientations of the tablet).
void expectUsableLayout(const std::string& name, std::vector<platform::Size> viewSizes) {
  auto file = quillbeckInterfaceFile::load(quillbeckInterface::interfaceFolder() + "/" + name);
  ASSERT_TRUE(file) << file.error().localizedDescription();
  const auto& buttons = file->buttons();
  ASSERT_EQ(buttons.size(), kClips.size() + 1) << name;
  for (size_t i = 0; i < kClips.size(); ++i) {
    EXPECT_EQ(buttons[i].title, kClips[i].resource) << name;
    EXPECT_EQ(buttons[i].action, kClips[i].action) << name;
    EXPECT_FALSE(buttons[i].imagePath.empty()) << name;
  }
  EXPECT_EQ(buttons.back().title, "Stop");
  EXPECT_EQ(buttons.back().action, kStopAction);
  for (platform::Size size : viewSizes) {
    // Laid out as the view would lay them out at that size.
    platform::sim::SimPlatform sim;
    auto view = std::make_shared<platform::View>(
        platform::Rect(0, 0, viewSizes[0].width, viewSizes[0].height));
    std::vector<std::shared_ptr<platform::View>> placed;
    for (const auto& b : buttons) {
      placed.push_back(std::make_shared<platform::View>(b.frame));
      placed.back()->setAutoresizingMask(b.autoresizingMask);
      view->addSubview(placed.back());
    }
    view->setFrame({0, 0, size.width, size.height});
    platform::Rect free(0, 0, size.width, size.height - 50);
    for (size_t i = 0; i < placed.size(); ++i) {
      const platform::Rect& f = placed[i]->frame();
      EXPECT_TRUE(f.minX() >= 0 && f.minY() >= 0 && f.maxX() <= free.maxX() &&
                  f.maxY() <= free.maxY())
          << name << " button " << i + 1 << " leaves the free area at " << size.width << "x"
          << size.height;
      for (size_t j = i + 1; j < placed.size(); ++j)
        EXPECT_FALSE(overlap(f, placed[j]->frame())) << name << " " << i + 1 << " and " << j + 1;
    }
  }
}

TEST(quillbeckInterfaceFileTest, TheShippedFilesHoldEveryClipAndStopClearOfTheBanner) {
  expectUsableLayout("phone.json", {{320, 460}});
  expectUsableLayout("tablet.json", {{768, 1004}, {1024, 748}});
}

TEST(quillbeckInterfaceFileTest, ReadsButtonsWithTheirOptionalParts) {
  auto file = quillbeckInterfaceFile::parse(
      R"({"background": [0, 0.5, 1, 1], "buttons": [
           {"title": "Stop", "action": "stop:", "frame": [1, 2, 30, 40],
            "autoresizing": ["flexibleWidth", "flexibleTopMargin"]},
           {"title": "x", "action": "vadro:", "frame": [0, 0, 0, 0], "image": "clip.png"}]})",
      quillbeckInterface::interfaceFolder());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->backgroundColor(), (platform::Color{0, 0.5, 1, 1}));
  ASSERT_EQ(file->buttons().size(), 2u);
  EXPECT_EQ(file->buttons()[0].frame, (platform::Rect{1, 2, 30, 40}));
  EXPECT_EQ(file->buttons()[0].autoresizingMask,
            platform::kAutoresizingFlexibleWidth | platform::kAutoresizingFlexibleTopMargin);
  EXPECT_TRUE(file->buttons()[0].imagePath.empty());
  EXPECT_EQ(file->buttons()[1].imagePath, quillbeckInterface::interfaceFolder() + "/clip.png");
}

TEST(quillbeckInterfaceFileTest, RefusesMalformedFilesSayingWhere) {
  const std::pair<const char*, const char*> cases[] = {
      {"{\"buttons\": [", "not JSON"},
      {"[]", "top level"},
      {"{}", "\"buttons\""},
      {R"({"buttons": [{"title": "a", "action": "b:"}]})", "button 1: \"frame\" is missing"},
      {R"({"buttons": [{"title": "a", "action": "b:", "frame": [1, 2, 3]}]})", "button 1 frame"},
      {R"({"buttons": [{"title": "a", "action": "b:", "frame": [0, 0, -1, 9]}]})", "negative"},
      {R"({"buttons": [{"title": "", "action": "b:", "frame": [0, 0, 1, 1]}]})", "\"title\""},
      {R"({"buttons": [{"title": "a", "action": "b:", "frame": [0, 0, 1, 1],
                        "autoresizing": ["sideways"]}]})",
       "sideways"},
      {R"({"buttons": [{"title": "a", "action": "b:", "frame": [0, 0, 1, 1],
                        "image": "missing.png"}]})",
       "no image file /nonexistent/missing.png"},
      {R"({"background": [2, 0, 0, 1], "buttons": []})", "background"},
  };
  for (const auto& [text, said] : cases) {
    auto parsed = quillbeckInterfaceFile::parse(text, "/nonexistent");
    ASSERT_FALSE(parsed) << text;
    const base::Error& error = parsed.error();
    EXPECT_EQ(error.domain(), quillbeckInterfaceFile::kErrorDomain) << text;
    EXPECT_NE(error.localizedDescription().find(said), std::string::npos)
        << text << " said " << error.localizedDescription();
  }
}

class MainInterfaceTest : public ::testing::Test {
 protected:
  ~MainInterfaceTest() override { quillbeckInterface::setInterfaceFolder(original); }
  platform::sim::SimPlatform platform;
  std::string original = quillbeckInterface::interfaceFolder();
};

TEST_F(MainInterfaceTest, AMissingFileOrAButtonWithAnActionTheScreenLacksGivesNothingAndSaysSo) {
  quillbeckInterface::setInterfaceFolder("/nonexistent/interface");
  EXPECT_EQ(quillbeckInterface::loadMainInterface(), nullptr);
  EXPECT_EQ(platform.application().delegate(), nullptr);
  std::string folder = ::testing::TempDir();
  std::ofstream(folder + "/phone.json")
      << R"({"buttons": [{"title": "Boom", "action": "explode:", "frame": [0, 0, 9, 9]}]})";
  quillbeckInterface::setInterfaceFolder(folder);
  EXPECT_EQ(quillbeckInterface::loadMainInterface(), nullptr);
  ASSERT_EQ(platform.console().lines().size(), 2u);
  EXPECT_NE(platform.console().lines()[0].find("/nonexistent/interface/phone.json"),
            std::string::npos);
  EXPECT_NE(platform.console().lines()[1].find("\"Boom\" the action explode:"), std::string::npos);
}

}  // namespace
