// `tadtool uule`: the location value a request carries, made and read back on the command line.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "tests/tools/TadtoolRunner.h"

namespace {

using TadtoolUuleTest = TadtoolRunner;

constexpr const char* kRecordHead =
    "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: ";

std::string withoutLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

TEST_F(TadtoolUuleTest, CoordinatesAreEncryptedAndDecodeToTheirRecord) {
  TadtoolResult encoded =
      run("uule encode --lat 37.5 --lon -122.25 --accuracy 10 --timestamp 1700000000.5");
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  const std::string wireForm = withoutLineEnd(encoded.out);
  EXPECT_TRUE(wireForm.starts_with("e1+")) << wireForm;
  EXPECT_EQ(wireForm.find_first_of("=\n"), std::string::npos);

  TadtoolResult decoded = run("uule decode '" + wireForm + "'");
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(decoded.out, std::string(kRecordHead) +
                             "1700000000500000 latlng <latitude_e7: 375000000 longitude_e7: "
                             "-1222500000> radius: 10000\n");

  // The same time makes the same value: the vector comes from the timestamp.
  EXPECT_EQ(run("uule encode --lat 37.5 --lon -122.25 --accuracy 10 --timestamp 1700000000.5").out,
            encoded.out);
}

TEST_F(TadtoolUuleTest, WithoutATimestampTheValueCarriesTheTimeItWasMade) {
  using namespace std::chrono;
  const double before = duration<double>(system_clock::now().time_since_epoch()).count();
  TadtoolResult encoded = run("uule encode --lat 48.85 --lon 2.35 --accuracy 100");
  const double after = duration<double>(system_clock::now().time_since_epoch()).count();
  ASSERT_EQ(encoded.status, 0) << encoded.err;

  TadtoolResult decoded = run("uule decode " + withoutLineEnd(encoded.out));
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  ASSERT_TRUE(decoded.out.starts_with(kRecordHead)) << decoded.out;
  const double stamped =
      std::strtod(decoded.out.c_str() + std::string(kRecordHead).size(), nullptr) / 1e6;
  EXPECT_GE(stamped, before - 1);
  EXPECT_LE(stamped, after + 1);
}

TEST_F(TadtoolUuleTest, DescribedPlacesAreEncodedWithTheirQuotesTurnedSingle) {
  TadtoolResult encoded =
      run(R"(uule encode --description 'Gare "du Nord", Paris' --timestamp 1000)");
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  EXPECT_TRUE(encoded.out.starts_with("a+")) << encoded.out;

  TadtoolResult decoded = run("uule decode '" + withoutLineEnd(encoded.out) + "'");
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(decoded.out, std::string(kRecordHead) + "1000000000 loc: \"Gare 'du Nord', Paris\"\n");
}

TEST_F(TadtoolUuleTest, InputThatMakesNoValueIsRefusedWithAReason) {
  struct Case {
    const char* arguments;
    const char* said;
  };
  const Case cases[] = {
      {"uule encode --lat north --lon 2 --accuracy 1", "not a number"},
      {"uule encode --lat 37.5x --lon 2 --accuracy 1", "not a number"},
      {"uule encode --lat 37.5 --lon 2 --accuracy nan", "not a number"},
      {"uule encode --lat 1e999 --lon 2 --accuracy 1", "not a number"},
      {"uule encode --lat 91 --lon 2 --accuracy 1", "no location"},
      {"uule encode --lat 45 --lon -180.5 --accuracy 1", "no location"},
      {"uule encode --lat 0 --lon 2 --accuracy 1", "no location"},
      {"uule encode --description ''", "no location"},
      {"uule decode 'e1+not-a-value'", "not a location value"},
      {"uule decode 'x+abc'", "not a location value"},
      {"uule decode ''", "not a location value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    TadtoolResult result = run(c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
  }
}

TEST_F(TadtoolUuleTest, UsageErrorsExitWithTwoAndShowTheUsage) {
  const char* cases[] = {
      "uule",
      "uule scramble",
      "uule encode",
      "uule encode --lat 37.5 --lon 2",
      "uule encode --lat 37.5 --lon 2 --accuracy 1 --description Paris",
      "uule encode --lat",
      "uule encode --altitude 3 --lat 37.5 --lon 2 --accuracy 1",
      "uule decode",
      "uule decode one two",
  };
  for (const char* arguments : cases) {
    SCOPED_TRACE(arguments);
    TadtoolResult result = run(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("usage: tadtool uule"), std::string::npos) << result.err;
  }
}

TEST_F(TadtoolUuleTest, HelpDescribesBothActions) {
  TadtoolResult result = run("uule --help");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("uule encode --lat"), std::string::npos);
  EXPECT_NE(result.out.find("uule decode TEXT"), std::string::npos);
  EXPECT_NE(run("--help").out.find("uule"), std::string::npos);
}

}  // namespace
