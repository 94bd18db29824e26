// Reads every file of the outside JSON parsing suite: y_ files must be accepted, n_ files refused
// except where our grammar deliberately differs, i_ files merely read without fault. Whatever is
// accepted must also write and read back to an equal value.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "json/TAD_VeskJSON.h"

namespace {

namespace fs = std::filesystem;

// n_ files that our reader accepts on purpose, each with the reason.
const std::map<std::string, std::string>& acceptedRefusals() {
  static const std::map<std::string, std::string> exceptions = {
      {"n_array_1_true_without_comma.json", "the comma between elements may be left out"},
      {"n_array_inner_array_no_comma.json", "the comma between elements may be left out"},
      {"n_multidigit_number_then_00.json", "a NUL byte ends the input; nothing after it is read"},
      {"n_structure_whitespace_formfeed.json",
       "white space is the C library's class, which includes form feed and vertical tab"},
  };
  return exceptions;
}

fs::path suiteDirectory() {
  const char* source = std::getenv("TAD_SOURCE_DIR");
  fs::path root = source && *source ? fs::path(source) : fs::path(TAD_SOURCE_DIR_FALLBACK);
  return root / "tests" / "json" / "JSONTestSuite" / "test_parsing";
}

struct SuiteFile {
  std::string name;
  std::string text;
};

std::vector<SuiteFile> filesStartingWith(char prefix) {
  std::vector<SuiteFile> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(suiteDirectory(), error)) {
    std::string name = entry.path().filename().string();
    if (name.size() < 2 || name[0] != prefix || name[1] != '_') continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    files.push_back({name, text.str()});
  }
  return files;
}

std::optional<base::Value> read(const std::string& text, base::Error* error = nullptr) {
  return TAD_VeskJSON().fragmentWithString(text, error);
}

void expectRoundTrip(const std::string& name, const base::Value& value) {
  std::optional<std::string> written = TAD_VeskJSON().stringWithFragment(value);
  ASSERT_TRUE(written) << name;
  std::optional<base::Value> reread = read(*written);
  ASSERT_TRUE(reread) << name << " wrote " << *written;
  EXPECT_TRUE(*reread == value) << name << " wrote " << *written;
}

TEST(VeskJSONConformanceTest, AcceptsEveryValidDocument) {
  std::vector<SuiteFile> files = filesStartingWith('y');
  ASSERT_GT(files.size(), 90u) << "suite not found at " << suiteDirectory();
  for (const SuiteFile& file : files) {
    base::Error error;
    std::optional<base::Value> value = read(file.text, &error);
    EXPECT_TRUE(value) << file.name << ": " << error.description();
    if (value) expectRoundTrip(file.name, *value);
  }
}

TEST(VeskJSONConformanceTest, RefusesEveryInvalidDocumentOutsideTheListedExceptions) {
  std::vector<SuiteFile> files = filesStartingWith('n');
  ASSERT_GT(files.size(), 180u) << "suite not found at " << suiteDirectory();
  size_t exceptionsSeen = 0;
  for (const SuiteFile& file : files) {
    std::optional<base::Value> value = read(file.text);
    auto exception = acceptedRefusals().find(file.name);
    if (exception == acceptedRefusals().end()) {
      EXPECT_FALSE(value) << file.name << " was accepted";
      continue;
    }
    ++exceptionsSeen;
    EXPECT_TRUE(value) << file.name << " is listed as accepted because " << exception->second;
    if (value) expectRoundTrip(file.name, *value);
  }
  EXPECT_EQ(exceptionsSeen, acceptedRefusals().size());
}

TEST(VeskJSONConformanceTest, ReadsImplementationDefinedDocumentsWithoutFault) {
  std::vector<SuiteFile> files = filesStartingWith('i');
  ASSERT_GT(files.size(), 20u) << "suite not found at " << suiteDirectory();
  for (const SuiteFile& file : files) {
    base::Error error;
    std::optional<base::Value> value = read(file.text, &error);
    if (value) {
      expectRoundTrip(file.name, *value);
    } else {
      EXPECT_EQ(error.domain(), TAD_VeskJSONErrorDomain) << file.name;
    }
  }
}

}  // namespace
