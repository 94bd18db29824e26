#include "ads/Device/TADLocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "encoding/TAD_RookStringEncoding.h"
#include "platform/sim/SimPlatform.h"

namespace {

class TADLocationTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  std::shared_ptr<TAD_RookStringEncoding> base64 = [] {
    auto encoding = TAD_RookStringEncoding::rfc4648Base64WebsafeStringEncoding();
    encoding->setDoPad(false);
    return encoding;
  }();
};

TEST_F(TADLocationTest, OnlyPreciseCoordinatesOrNonEmptyDescriptionsMakeALocation) {
  EXPECT_FALSE(TADLocation::initWithLatitude(0, 10, 1));
  EXPECT_FALSE(TADLocation::initWithLatitude(91, 10, 1));
  EXPECT_FALSE(TADLocation::initWithLatitude(10, -180.5f, 1));
  EXPECT_FALSE(TADLocation::initWithLatitude(NAN, 10, 1));
  EXPECT_FALSE(TADLocation::initWithDescription(""));
  auto location = TADLocation::initWithLatitude(37.5f, -122.25f, 10);
  ASSERT_TRUE(location);
  EXPECT_EQ(location->description(), "37.500000,-122.250000");
  EXPECT_DOUBLE_EQ(location->timestamp(), platform.clock().now().timeIntervalSince1970());
}

TEST_F(TADLocationTest, CoordinatesTravelEncryptedBehindTheirVector) {
  auto location = TADLocation::initWithLatitude(37.5f, -122.25f, 10);
  location->setTimestamp(1300000000.25);
  auto wire = location->oolongRepresentation();
  ASSERT_TRUE(wire);
  ASSERT_EQ(wire->rfind("e1+", 0), 0u);
  EXPECT_EQ(wire->find('='), std::string::npos);
  auto payload = base64->decode(wire->substr(3));
  ASSERT_TRUE(payload);
  ASSERT_EQ(payload->size() % 16, 0u);
  const uint8_t expectedVector[4] = {0x00, 0x6d, 0x7c, 0x4d};  // 1300000000 little-endian
  EXPECT_TRUE(std::equal(expectedVector, expectedVector + 4, payload->begin()));
  EXPECT_EQ(TADLocation::recordFromOolongRepresentation(*wire),
            "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: "
            "1300000000250000 latlng <latitude_e7: 375000000 longitude_e7: -1222500000> radius: "
            "10000");
  // Pinned once checked by an independent AES-128-CBC decryption (the openssl tool's, with the
  // key and the first 16 bytes as the vector).
  EXPECT_EQ(*wire,
            "e1+AG18Tf___3____9_____f70RBqSUa0Vkb2TKX1_lJTYqDANAMIw6iwrAGKSw9DUjFT3zFlyu3PwJl"
            "ltsYmy-E72OwGl-NFFHUOH54c4Clk7AO8u_PmAWyY6iR7dDPYfmNue4rBFKuII_"
            "eoe2LXgU7TTJ8DznVAVMT3WbPrY616_ZjZnRnxinykV4T274gCbm7P1pT1gz6Is0Bc6KnPrU-CMhs_"
            "NRjbjC4oSTaMYsECInOWAuwyTxUNMuwR7Mq8SO");
  // CBC without a check of its own: a changed vector byte changes the same record byte, and a
  // change before the last block that reaches the padding makes the form unreadable.
  auto tampered = [&](size_t index) {
    std::vector<uint8_t> changed = *payload;
    changed[index] ^= 1;
    return TADLocation::recordFromOolongRepresentation("e1+" + base64->encode(changed));
  };
  std::optional<std::string> inVector = tampered(0);
  ASSERT_TRUE(inVector);
  EXPECT_EQ(inVector->substr(0, 6), "sole: ");
  EXPECT_EQ(inVector->substr(1), TADLocation::recordFromOolongRepresentation(*wire)->substr(1));
  EXPECT_FALSE(tampered(payload->size() - 17));
}

TEST_F(TADLocationTest, PaddingFillsTheLastBlockAndARecordOfWholeBlocksGainsAFullOne) {
  // Timestamp and accuracy, and the lengths of the record and of its ciphertext.
  const std::tuple<double, float, size_t, size_t> cases[] = {
      {1000, 1, 154, 160},        // six bytes of padding
      {100000, 10000, 160, 176},  // whole blocks: sixteen
      {100000, 1000, 159, 160},   // one
  };
  for (auto [timestamp, accuracy, recordLength, ciphertextLength] : cases) {
    auto location = TADLocation::initWithLatitude(10, 20, accuracy);
    location->setTimestamp(timestamp);
    auto wire = location->oolongRepresentation();
    auto record = TADLocation::recordFromOolongRepresentation(*wire);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->size(), recordLength);
    EXPECT_EQ(base64->decode(wire->substr(3))->size() - 16, ciphertextLength);
  }
}

TEST_F(TADLocationTest, DescribedPlacesTravelReadableWithQuotesTurnedSingle) {
  auto location = TADLocation::initWithDescription("The \"Old\" Mill, CA");
  location->setTimestamp(2.5);
  auto wire = location->oolongRepresentation();
  ASSERT_EQ(wire->rfind("a+", 0), 0u);
  EXPECT_EQ(base64->stringByDecoding(wire->substr(2)),
            "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: 2500000 "
            "loc: \"The 'Old' Mill, CA\"");
}

TEST_F(TADLocationTest, EqualityIgnoresTimestampsAndNeverMixesKinds) {
  auto a = TADLocation::initWithDescription("Oslo");
  auto b = TADLocation::initWithDescription("Oslo");
  b->setTimestamp(5);
  EXPECT_TRUE(a->isEqual(*b));
  auto precise = TADLocation::initWithLatitude(59.9f, 10.7f, 5);
  EXPECT_FALSE(a->isEqual(*precise));
  EXPECT_TRUE(precise->isEqual(*TADLocation::initWithLatitude(59.9f, 10.7f, 5)));
  auto copy = b->copy();
  EXPECT_EQ(copy->timestamp(), 5);
  EXPECT_TRUE(copy->isEqual(*b));
  EXPECT_FALSE(TADLocation::recordFromOolongRepresentation("x+abc"));
  EXPECT_FALSE(TADLocation::recordFromOolongRepresentation("e1+AAAA"));
}

}  // namespace
