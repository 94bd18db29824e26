// Runs the built tadtool's encode and decode commands on standard input and checks exit status
// and output.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/tools/TadtoolRunner.h"

namespace {

using testing::HasSubstr;
using Result = TadtoolResult;
using TadtoolEncodingTest = TadtoolRunner;

TEST_F(TadtoolEncodingTest, EncodesStandardInputInEveryNamedEncoding) {
  const std::pair<const char*, const char*> expected[] = {
      {"binary", "0110011001101111"}, {"hex", "666F"},       {"base32", "MZXQ===="},
      {"base32hex", "CPNG===="},      {"crockford", "CSQG"}, {"base64", "Zm8="},
      {"base64websafe", "Zm8="},
  };
  for (const auto& [name, text] : expected) {
    const Result result = run(std::string("encode --encoding ") + name, "fo");
    EXPECT_EQ(result.status, 0) << name;
    EXPECT_EQ(result.out, std::string(text) + "\n") << name;
  }
  EXPECT_EQ(run("encode --encoding base64websafe --no-pad", "\xFB\xFF").out, "-_8\n");
}

TEST_F(TadtoolEncodingTest, DecodesBackEveryByte) {
  std::string bytes;
  for (int code = 0; code < 256; ++code)
    bytes.push_back(static_cast<char>(code));
  for (const char* name :
       {"binary", "hex", "base32", "base32hex", "crockford", "base64", "base64websafe"}) {
    const Result encoded = run(std::string("encode --encoding ") + name, bytes);
    const Result decoded = run(std::string("decode --encoding ") + name, encoded.out);
    EXPECT_EQ(decoded.status, 0) << name;
    EXPECT_EQ(decoded.out, bytes) << name;
  }
}

TEST_F(TadtoolEncodingTest, RefusesInvalidTextWithStatusOne) {
  for (const char* text : {"Zm9v YmFy", "Zg==Zg==", "B", "Zm9v\n\n"}) {
    const Result result = run("decode --encoding base64", text);
    EXPECT_EQ(result.status, 1) << text;
    EXPECT_EQ(result.out, "") << text;
    EXPECT_EQ(result.err, "tadtool: decode: the input is not valid base64 text\n") << text;
  }
  EXPECT_EQ(run("decode --encoding hex", "ab\r\n").out, "\xAB");
}

TEST_F(TadtoolEncodingTest, AnswersHelpAndRefusesWrongUsage) {
  for (const char* arguments : {"encode --help", "decode -h", "encode --encoding hex --help"}) {
    const Result result = run(arguments);
    EXPECT_EQ(result.status, 0) << arguments;
    EXPECT_THAT(result.out, HasSubstr("usage: tadtool")) << arguments;
    EXPECT_THAT(result.out, HasSubstr("base64websafe")) << arguments;
  }
  for (const char* arguments : {"encode", "decode --encoding", "encode --encoding base63",
                                "decode --encoding hex --no-pad", "encode --encoding hex x"}) {
    const Result result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_THAT(result.err, HasSubstr("tadtool: ")) << arguments;
  }
}

}  // namespace
