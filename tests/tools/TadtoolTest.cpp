// Runs the built tadtool on files in a temporary folder and checks exit status and output.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

class TadtoolTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tadtool-test-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string file(const std::string& name, const std::string& text) {
    fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  Result run(const std::string& arguments) {
    fs::path out = folder_ / "stdout", err = folder_ / "stderr";
    std::string command = std::string(TADTOOL_PATH) + " " + arguments + " >" + out.string() +
                          " 2>" + err.string() + " </dev/null";
    int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = contents(out);
    result.err = contents(err);
    return result;
  }

 private:
  static std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder_;
};

TEST_F(TadtoolTest, CheckAcceptsWhatTheLibraryReads) {
  Result result = run("json check " + file("ok.json", "{\"a\":[1 2]}\n"));
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.out, HasSubstr("ok"));
  EXPECT_EQ(result.err, "");
}

TEST_F(TadtoolTest, CheckPrintsTheErrorAndItsChainWhenRefused) {
  std::string path = file("bad.json", "{\"k\":[x]}");
  Result result = run("json check " + path);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, path +
                            ": error 3: Object value expected for key: k\n"
                            "  caused by error 3: Expected value while parsing array\n"
                            "  caused by error 3: Unrecognised leading character\n");
  EXPECT_EQ(run("json check " + file("scalar.json", "42")).status, 1);
}

TEST_F(TadtoolTest, FormatPrintsTheHumanReadableFormOptionallySorted) {
  std::string path = file("doc.json", "{\"b\":1,\"a\":[true,null]}");
  Result result = run("json format " + path);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "{\n  \"b\" : 1,\n  \"a\" : [\n    true,\n    null\n  ]\n}\n");
  result = run("json format --sort " + path);
  EXPECT_EQ(result.out, "{\n  \"a\" : [\n    true,\n    null\n  ],\n  \"b\" : 1\n}\n");
  EXPECT_EQ(run("json format " + file("bad.json", "[1,]")).status, 1);
}

TEST_F(TadtoolTest, AnswersHelpOnEveryLevel) {
  for (const char* arguments : {"--help", "json --help", "json check --help", "json format -h"}) {
    Result result = run(arguments);
    EXPECT_EQ(result.status, 0) << arguments;
    EXPECT_THAT(result.out, HasSubstr("usage: tadtool")) << arguments;
  }
  EXPECT_THAT(run("json format --help").out, HasSubstr("--sort"));
}

TEST_F(TadtoolTest, RefusesWrongUsageWithStatusTwo) {
  std::string path = file("ok.json", "[]");
  for (std::string arguments :
       {std::string(""), std::string("frobnicate"), std::string("json"), "json lint " + path,
        std::string("json check"), "json check " + path + " " + path, "json check --sort " + path,
        "json check " + path + ".missing"}) {
    Result result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_THAT(result.err, HasSubstr("tadtool: ")) << arguments;
  }
}

}  // namespace
