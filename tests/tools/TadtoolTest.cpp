// Runs the built tadtool on files in a temporary folder and checks exit status and output.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/tools/TadtoolRunner.h"

namespace {

using testing::HasSubstr;
using Result = TadtoolResult;
using TadtoolTest = TadtoolRunner;

TEST_F(TadtoolTest, CheckAcceptsWhatTheLibraryReads) {
  Result result = run("json check " + file("ok.json", "{\"a\":[1 2]}\n"));
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.out, HasSubstr("ok"));
  EXPECT_EQ(result.err, "");
  for (const char* fromStandardInput : {"json check", "json check -"}) {
    EXPECT_EQ(run(fromStandardInput, "[1 2]").status, 0) << fromStandardInput;
    EXPECT_EQ(run(fromStandardInput, "[1,]").status, 1) << fromStandardInput;
  }
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
  EXPECT_EQ(run("json format --sort", "{\"b\":1,\"a\":2}").out,
            "{\n  \"a\" : 2,\n  \"b\" : 1\n}\n");
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
  for (std::string arguments : {std::string(""), std::string("frobnicate"), std::string("json"),
                                "json lint " + path, "json check " + path + " " + path,
                                "json check --sort " + path, "json check " + path + ".missing"}) {
    Result result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_THAT(result.err, HasSubstr("tadtool: ")) << arguments;
  }
}

}  // namespace
