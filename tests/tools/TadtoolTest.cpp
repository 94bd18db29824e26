// Runs the built tadtool in a temporary folder, on files and standard input, and checks its exit
// status and output: the json, encode/decode and uule commands, and the usage every command shares.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "base/FileIO.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using testing::HasSubstr;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

class TadtoolTest : public testing::Test {
 protected:
  // Writes a file into the temporary folder and answers its path.
  std::string file(const std::string& name, const std::string& text) {
    const std::string path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  Result run(const std::string& arguments, const std::string& input = "") {
    const std::string in = file("stdin", input);
    const std::string out = folder_ / "stdout", err = folder_ / "stderr";
    const std::string command =
        std::string(TADTOOL_PATH) + " " + arguments + " <" + in + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, base::readFile(out).value_or(""),
            base::readFile(err).value_or("")};
  }

 private:
  test_support::TemporaryFolder folder_;
};

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

// Where each refusal is (line and column in characters), what it says, and how long the chain
// it prints may grow.
TEST_F(TadtoolTest, RefusalsSayWhereWithAShortChain) {
  const std::string deep = std::string(513, '[') + std::string(513, ']');
  const std::tuple<std::string, std::string, size_t> cases[] = {
      {"{\n  \"a\": [1,]\n}",
       ":2:11: error 3: Object value expected for key: a\n"
       "  caused by error 9: Trailing comma disallowed in array\n",
       2},
      {"[\"\xC3\xA9\xC3\xA9\", x]", ":1:8: error 3: Expected value while parsing array\n", 2},
      {"[1 2", ":1:5: error 11: End of input while parsing array\n", 1},
      {"{\"k\": \"caf\xC3\xA9\"\n,\"l\": \"\xC3\x28\"}",
       ":2:8: error 12: not valid UTF-8 at byte 22\n", 1},
      {"[1]\xFF", ":1:4: error 12: not valid UTF-8 at byte 4\n", 1},
      {deep, "Nested too deep\n", 5},
  };
  for (const auto& [text, said, lines] : cases) {
    SCOPED_TRACE(said);
    const std::string path = file("refused.json", text);
    Result result = run("json check " + path);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr(said));
    EXPECT_TRUE(result.err.starts_with(path + ":")) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), lines) << result.err;
  }
}

// Every byte goes through standard input and output unchanged.
TEST_F(TadtoolTest, EncodesAndDecodesEveryByteInEveryNamedEncoding) {
  std::string bytes;
  for (int code = 0; code < 256; ++code)
    bytes.push_back(static_cast<char>(code));
  const std::pair<const char*, const char*> expected[] = {
      {"binary", "0110011001101111"}, {"hex", "666F"},       {"base32", "MZXQ===="},
      {"base32hex", "CPNG===="},      {"crockford", "CSQG"}, {"base64", "Zm8="},
      {"base64websafe", "Zm8="},
  };
  for (const auto& [name, text] : expected) {
    const Result result = run(std::string("encode --encoding ") + name, "fo");
    EXPECT_EQ(result.status, 0) << name;
    EXPECT_EQ(result.out, std::string(text) + "\n") << name;
    const Result decoded = run(std::string("decode --encoding ") + name,
                               run("encode --encoding " + std::string(name), bytes).out);
    EXPECT_EQ(decoded.status, 0) << name;
    EXPECT_EQ(decoded.out, bytes) << name;
  }
  EXPECT_EQ(run("encode --encoding base64websafe --no-pad", "\xFB\xFF").out, "-_8\n");
}

TEST_F(TadtoolTest, RefusesInvalidTextWithStatusOne) {
  for (const char* text : {"Zm9v YmFy", "Zg==Zg==", "B", "Zm9v\n\n"}) {
    const Result result = run("decode --encoding base64", text);
    EXPECT_EQ(result.status, 1) << text;
    EXPECT_EQ(result.out, "") << text;
    EXPECT_EQ(result.err, "tadtool: decode: the input is not valid base64 text\n") << text;
  }
  EXPECT_EQ(run("decode --encoding hex", "ab\r\n").out, "\xAB");
}

constexpr const char* kRecordHead =
    "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: ";

std::string withoutLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// The value itself (its cipher, padding and quoting) is pinned by the location's own suite; here
// each form of the command makes one, and decode gives its record back.
TEST_F(TadtoolTest, EncodeMakesTheValueThatDecodeReadsBack) {
  // The command's arguments, how the value begins, and the record it holds.
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"--lat 37.5 --lon -122.25 --accuracy 10 --timestamp 1700000000.5", "e1+",
       "1700000000500000 latlng <latitude_e7: 375000000 longitude_e7: -1222500000> radius: "
       "10000\n"},
      {R"(--description 'Gare "du Nord", Paris' --timestamp 1000)", "a+",
       "1000000000 loc: \"Gare 'du Nord', Paris\"\n"},
  };
  for (const auto& [arguments, prefix, record] : cases) {
    SCOPED_TRACE(arguments);
    Result encoded = run(std::string("uule encode ") + arguments);
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    const std::string wireForm = withoutLineEnd(encoded.out);
    EXPECT_TRUE(wireForm.starts_with(prefix)) << wireForm;
    EXPECT_EQ(wireForm.find_first_of("=\n"), std::string::npos);
    Result decoded = run("uule decode '" + wireForm + "'");
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, std::string(kRecordHead) + record);
    // The same time makes the same value: the vector comes from the timestamp.
    EXPECT_EQ(run(std::string("uule encode ") + arguments).out, encoded.out);
  }
}

TEST_F(TadtoolTest, WithoutATimestampTheValueCarriesTheTimeItWasMade) {
  using namespace std::chrono;
  const double before = duration<double>(system_clock::now().time_since_epoch()).count();
  Result encoded = run("uule encode --lat 48.85 --lon 2.35 --accuracy 100");
  const double after = duration<double>(system_clock::now().time_since_epoch()).count();
  ASSERT_EQ(encoded.status, 0) << encoded.err;

  Result decoded = run("uule decode " + withoutLineEnd(encoded.out));
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  ASSERT_TRUE(decoded.out.starts_with(kRecordHead)) << decoded.out;
  const double stamped =
      std::strtod(decoded.out.c_str() + std::string(kRecordHead).size(), nullptr) / 1e6;
  EXPECT_GE(stamped, before - 1);
  EXPECT_LE(stamped, after + 1);
}

// Which coordinates make a location is the location's own rule; here only the command's numbers
// and that each kind of refusal reaches the user.
TEST_F(TadtoolTest, InputThatMakesNoValueIsRefusedWithAReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"uule encode --lat 91 --lon 2 --accuracy 1", "no location"},
      {"uule encode --description ''", "no location"},
      {"uule decode 'e1+not-a-value'", "not a location value"},
      {"uule decode ''", "not a location value"},
  };
  for (const auto& [arguments, said] : cases) {
    SCOPED_TRACE(arguments);
    Result result = run(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
  }
}

// Every command answers --help and -h with its own usage, and refuses wrong usage with status 2,
// the reason and that usage.
TEST_F(TadtoolTest, AnswersHelpAndRefusesWrongUsageForEveryCommand) {
  const std::pair<const char*, const char*> helps[] = {
      {"--help", "uule"},
      {"json --help", "usage: tadtool json <command>"},
      {"json check --help", "usage: tadtool json check"},
      {"json format -h", "--sort"},
      {"encode --help", "base64websafe"},
      {"decode -h", "usage: tadtool decode"},
      {"encode --encoding hex --help", "base64websafe"},
      {"uule --help", "uule decode TEXT"},
  };
  for (const auto& [arguments, said] : helps) {
    Result result = run(arguments);
    EXPECT_EQ(result.status, 0) << arguments;
    EXPECT_THAT(result.out, HasSubstr(said)) << arguments;
  }
  std::string path = file("ok.json", "[]");
  const std::pair<std::string, const char*> wrong[] = {
      {"", "usage: tadtool <command>"},
      {"frobnicate", "usage: tadtool <command>"},
      {"json", "usage: tadtool json <command>"},
      {"json lint " + path, "usage: tadtool json <command>"},
      {"json check " + path + " " + path, "usage: tadtool json check"},
      {"json check --sort " + path, "usage: tadtool json check"},
      {"json check " + path + ".missing", "tadtool: "},
      {"json check " + std::filesystem::path(path).parent_path().string(), "Is a directory"},
      {"encode", "usage: tadtool encode"},
      {"decode --encoding", "usage: tadtool decode"},
      {"encode --encoding base63", "usage: tadtool encode"},
      {"decode --encoding hex --no-pad", "usage: tadtool decode"},
      {"encode --encoding hex x", "usage: tadtool encode"},
      {"uule", "usage: tadtool uule"},
      {"uule scramble", "usage: tadtool uule"},
      {"uule encode --lat 37.5 --lon 2", "usage: tadtool uule"},
      {"uule encode --lat 37.5 --lon 2 --accuracy 1 --description Paris", "usage: tadtool uule"},
      {"uule encode --lat", "usage: tadtool uule"},
      {"uule encode --altitude 3 --lat 37.5 --lon 2 --accuracy 1", "usage: tadtool uule"},
      {"uule encode --lat abc --lon 2 --accuracy 1", "'abc' is not a number"},
      {"uule encode --lat 37.5x --lon 2 --accuracy 1", "'37.5x' is not a number"},
      {"uule encode --lat 37.5 --lon 2 --accuracy nan", "'nan' is not a number"},
      {"uule encode --lat 1e999 --lon 2 --accuracy 1", "'1e999' is not a number"},
      {"uule encode --timestamp soon --description Paris", "usage: tadtool uule"},
      {"uule decode one two", "usage: tadtool uule"},
  };
  for (const auto& [arguments, said] : wrong) {
    Result result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_THAT(result.err, HasSubstr("tadtool: ")) << arguments;
    EXPECT_THAT(result.err, HasSubstr(said)) << arguments;
  }
}

}  // namespace
