#include "Classes/quillbeckEarlierFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TemporaryFolder.h"

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

TEST(quillbeckEarlierFilesTest, MovesAnEarlierFileOnceAndNeverOverWhatStandsThere) {
  test_support::TemporaryFolder home;
  const std::string earlier = home / "quillbeck.plist";
  const std::string now = home / "config/org.quillbeck.Soundboard/org.quillbeck.Soundboard.plist";
  write(earlier, "earlier settings");

  EXPECT_TRUE(quillbeckMoveEarlierFile(earlier, now));
  EXPECT_EQ(contents(now), "earlier settings");
  EXPECT_FALSE(std::filesystem::exists(earlier));

  write(earlier, "older still");
  EXPECT_FALSE(quillbeckMoveEarlierFile(earlier, now));
  EXPECT_EQ(contents(now), "earlier settings");
  EXPECT_EQ(contents(earlier), "older still");

  EXPECT_FALSE(quillbeckMoveEarlierFile(home / "nothing-here", home / "elsewhere"));
  EXPECT_FALSE(std::filesystem::exists(home / "elsewhere"));
}

TEST(quillbeckEarlierFilesTest, MovesAFolderWithWhatItHolds) {
  test_support::TemporaryFolder home;
  std::filesystem::create_directories(home / "quillbeck/Documents");
  write(home / "quillbeck/Documents/kept", "kept");

  EXPECT_TRUE(quillbeckMoveEarlierFile(home / "quillbeck/Documents",
                                       home / "data/org.quillbeck.Soundboard/Documents"));
  EXPECT_EQ(contents(home / "data/org.quillbeck.Soundboard/Documents/kept"), "kept");
}

}  // namespace
