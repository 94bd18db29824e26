// The user-defaults file on a real file system: what is saved reads back the same, damaged files
// are kept aside, and a save cut short by SIGKILL never leaves a file that fails to load.

#include "platform/plist/PlistUserDefaults.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/FileIO.h"
#include "platform/core/Console.h"
#include "platform/glib/ApplicationFolders.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/FolderFlushes.h"
#include "tests/support/TemporaryFolder.h"

namespace platform::glib {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using plist::PlistUserDefaults;

class PlistUserDefaultsTest : public ::testing::Test {
 protected:
  void writeFile(const std::string& bytes) {
    fs::create_directories(fs::path(path_).parent_path());
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  static std::string readFile(const fs::path& path) {
    return base::readFile(path.string()).value_or("(unreadable)");
  }
  // Saves values into the file, as a store of their own would.
  void save(const base::Dictionary& values) {
    PlistUserDefaults defaults(path_);
    for (const auto& [key, value] : values)
      defaults.setObject(key.str(), value);
    ASSERT_TRUE(defaults.synchronize());
  }
  std::vector<fs::path> filesAside() const {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path()))
      if (entry.path().filename().string().find(".corrupt-") != std::string::npos)
        found.push_back(entry.path());
    return found;
  }

  sim::SimPlatform platform_;
  test_support::TemporaryFolder folder_;
  std::string path_ = folder_ / "nested/org.example.App.plist";
};

base::Dictionary everyKind() {
  base::Dictionary nested{{"inner", base::Value(base::Array{1, "two", 3.5})}};
  return base::Dictionary{{"true", true},
                          {"false", false},
                          {"integer", 42},
                          {"negative", -7},
                          {"large", static_cast<long long>(INT64_MAX)},
                          {"smallest", static_cast<long long>(INT64_MIN)},
                          {"double", 0.1},
                          {"tiny", 1e-300},
                          {"string", "héllo <&> \"quoted\""},
                          {"empty string", ""},
                          {"date", base::Date(789012345.25)},
                          {"old date", base::Date(-86400.5)},
                          {"data", base::Data{0, 1, 2, 255}},
                          {"empty data", base::Data{}},
                          {"array", base::Array{1, "a", base::Array{}, base::Dictionary{}}},
                          {"dictionary", nested}};
}

TEST_F(PlistUserDefaultsTest, EveryValueKindReadsBackAsSaved) {
  EXPECT_TRUE(PlistUserDefaults(path_).dictionaryRepresentation().empty());
  save(everyKind());
  EXPECT_EQ(base::Value(PlistUserDefaults(path_).dictionaryRepresentation()),
            base::Value(everyKind()));
  EXPECT_TRUE(filesAside().empty());
  EXPECT_TRUE(platform_.console().lines().empty());
}

TEST_F(PlistUserDefaultsTest, DecimalsAreSavedAsNumbersAndNullsAndRemovedKeysAreLeftOut) {
  {
    PlistUserDefaults defaults(path_);
    defaults.setObject("gone", 1);
    ASSERT_TRUE(defaults.synchronize());
    defaults.removeObjectForKey("gone");
    defaults.setObject("decimal", base::Value(base::Decimal::fromString("2.5").value()));
    defaults.setObject("list", base::Array{1, base::Value(), 2});
    ASSERT_TRUE(defaults.synchronize());
  }
  EXPECT_EQ(base::Value(PlistUserDefaults(path_).dictionaryRepresentation()),
            base::Value(base::Dictionary{{"decimal", 2.5}, {"list", base::Array{1, 2}}}));
}

TEST_F(PlistUserDefaultsTest, DamagedFilesAreKeptAsideAndTheStoreStartsEmpty) {
  save({{"key", "a value long enough to be cut somewhere in its middle"},
        {"list", base::Array{1, 2, 3}}});
  const std::string saved = readFile(path_);
  const std::string head = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  std::vector<std::pair<std::string, std::string>> damaged = {
      {"garbage", "\x01\x02 this is not a property list \xff"},
      {"empty", ""},
      {"truncated binary", saved.substr(0, saved.size() / 2)},
      {"truncated xml", head + "<dict><key>a</key>"},
      {"not a dictionary", head + "<array/></plist>"},
      // libplist aborts the program when asked for such a string...
      {"a NUL in a string", head + "<dict><key>a</key><string>x\0y</string></dict></plist>"s},
      // ...and runs out of stack on nesting this deep.
      {"nested without end", "<plist version=\"1.0\"><dict><key>a</key>"},
  };
  damaged.back().second.reserve(600000 * 7);
  for (int i = 0; i < 600000; ++i)
    damaged.back().second += "<array>";
  // All within a second or so: each damaged file keeps a copy of its own.
  for (const auto& [name, bytes] : damaged) {
    SCOPED_TRACE(name);
    const std::vector<fs::path> before = filesAside();
    platform_.console().clear();
    writeFile(bytes);

    PlistUserDefaults defaults(path_);
    EXPECT_TRUE(defaults.dictionaryRepresentation().empty());
    EXPECT_FALSE(fs::exists(path_));
    std::vector<fs::path> aside = filesAside();
    ASSERT_EQ(aside.size(), before.size() + 1);
    const fs::path added = *std::find_if(aside.begin(), aside.end(), [&](const fs::path& p) {
      return std::find(before.begin(), before.end(), p) == before.end();
    });
    EXPECT_EQ(readFile(added), bytes);
    ASSERT_EQ(platform_.console().lines().size(), 1u);
    EXPECT_NE(platform_.console().lines()[0].find(added.string()), std::string::npos);

    defaults.setObject("fresh", 1);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(readFile(added), bytes);
  }
}

// Runs body with no file descriptor left to open.
template <typename Body>
void withoutFreeDescriptors(Body body) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  int lowestFree = dup(0);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  body();
  setrlimit(RLIMIT_NOFILE, &saved);
}

TEST_F(PlistUserDefaultsTest, AFileThatCannotBeReadForNowStaysAndIsNeverSavedOver) {
  save({{"identifier", "kept"}});
  const std::string saved = readFile(path_);
  const auto unreadable = [&](std::unique_ptr<PlistUserDefaults> defaults) {
    EXPECT_TRUE(defaults->dictionaryRepresentation().empty());
    defaults->setObject("fresh", 1);  // works in memory
    EXPECT_EQ(defaults->integerForKey("fresh"), 1);
    EXPECT_FALSE(defaults->synchronize());
    EXPECT_TRUE(filesAside().empty());
    ASSERT_EQ(platform_.console().lines().size(), 1u);
    EXPECT_NE(platform_.console().lines()[0].find(path_ + " cannot be read"), std::string::npos)
        << platform_.console().lines()[0];
  };

  SCOPED_TRACE("too many open files");
  // The sanitizers check the first call through the console with a descriptor of their own.
  Console::log("before the descriptors run out");
  platform_.console().clear();
  std::unique_ptr<PlistUserDefaults> starved;
  withoutFreeDescriptors([&] { starved = std::make_unique<PlistUserDefaults>(path_); });
  unreadable(std::move(starved));
  EXPECT_EQ(readFile(path_), saved);

  SCOPED_TRACE("a folder in its place");
  fs::remove(path_);
  fs::create_directories(fs::path(path_) / "inside");
  platform_.console().clear();
  unreadable(std::make_unique<PlistUserDefaults>(path_));
  EXPECT_TRUE(fs::is_directory(fs::path(path_) / "inside"));
}

TEST_F(PlistUserDefaultsTest, ASaveWhoseFolderCannotBeFlushedHasSucceededAndSaysSo) {
  PlistUserDefaults defaults(path_);
  defaults.setObject("key", "new");
  {
    test_support::FolderFlushes failing([](int) { return errno = EIO, -1; });
    EXPECT_TRUE(defaults.synchronize());
  }
  EXPECT_EQ(PlistUserDefaults(path_).stringForKey("key"), "new");
  ASSERT_EQ(platform_.console().lines().size(), 1u);
  EXPECT_NE(platform_.console().lines()[0].find("could not be flushed"), std::string::npos);
}

TEST_F(PlistUserDefaultsTest, ASaveThatWouldChangeNothingWritesNothing) {
  save({{"key", "value"}});
  PlistUserDefaults defaults(path_);
  test_support::FolderFlushes flushes;
  EXPECT_TRUE(defaults.synchronize());
  defaults.setObject("key", "value");
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_EQ(flushes.made(), 0);
  defaults.setObject("key", "other");
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_EQ(flushes.made(), 1);
  EXPECT_EQ(PlistUserDefaults(path_).stringForKey("key"), "other");
}

TEST_F(PlistUserDefaultsTest, TemporariesOfCutShortSavesAreRemovedOnceAMinuteOld) {
  fs::create_directories(fs::path(path_).parent_path());
  const fs::path abandoned = path_ + ".saving-Ab12cD";
  const fs::path recent = path_ + ".saving-Zz99yY";
  const fs::path someoneElses = path_ + ".backup";
  for (const fs::path& file : {abandoned, recent, someoneElses})
    std::ofstream(file) << "x";
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  fs::last_write_time(abandoned, old);
  fs::last_write_time(someoneElses, old);

  PlistUserDefaults defaults(path_);
  EXPECT_FALSE(fs::exists(abandoned));
  EXPECT_TRUE(fs::exists(recent));
  EXPECT_TRUE(fs::exists(someoneElses));
}

TEST_F(PlistUserDefaultsTest, TheFoldersAreTheApplicationsOwnUnderTheUsersBaseFolders) {
  ApplicationIdentity identity =
      ApplicationIdentity{"org.example.App", "", "", "example-cache", "", "example-data"}
          .completed();
  EXPECT_EQ(PlistUserDefaults::defaultPath(identity),
            fs::path(g_get_user_config_dir()) / "org.example.App" / "org.example.App.plist");
  EXPECT_EQ(identity.cachesDirectory(), fs::path(g_get_user_cache_dir()) / "example-cache");
  // What is looked for beside the documents folder is looked for in the application's folder.
  EXPECT_EQ(identity.documentsDirectory(),
            fs::path(g_get_user_data_dir()) / "example-data" / "Documents");
}

// The state a save loop writes on its n-th pass: sizes vary so that saves take different times.
base::Dictionary savedState(int64_t n) {
  return base::Dictionary{
      {"counter", static_cast<long long>(n)},
      {"payload", std::string(static_cast<size_t>(1000 + (n * 7919) % 200000), 'x')},
      {"list", base::Array(static_cast<size_t>(n % 500), base::Value(n))},
  };
}

TEST_F(PlistUserDefaultsTest, ASaveKilledHalfWayLeavesAFileThatLoads) {
  save(savedState(0));
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pause(0, 20000);
  int64_t nextStart = 1;
  for (int round = 0; round < 20; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      PlistUserDefaults defaults(path_);
      for (int64_t n = nextStart;; ++n) {
        for (const auto& [key, value] : savedState(n))
          defaults.setObject(key.str(), value);
        if (!defaults.synchronize()) _exit(3);
      }
    }
    usleep(static_cast<useconds_t>(2000 + pause(random)));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop ended by itself: " << status;

    PlistUserDefaults loaded(path_);
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(filesAside().empty());
    ASSERT_TRUE(loaded.objectForKey("counter"));
    int64_t counter = loaded.integerForKey("counter");
    EXPECT_EQ(base::Value(loaded.dictionaryRepresentation()), base::Value(savedState(counter)));
    nextStart = counter + 1000000;
  }
}

}  // namespace
}  // namespace platform::glib
