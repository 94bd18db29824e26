#include "signals/TADSignals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/RookStringEncoding.h"
#include "signals/TADSignalRecord.h"
#include "signals/TADSignalsTesting.h"

// Call sites with exported names, so the real stack trace can tell them apart.
namespace signals_probe {

__attribute__((noinline)) std::string clickFromFirstSite(const std::string& clickValue) {
  std::string text;
  tad_gmcs(clickValue, text);
  asm volatile("" : : "r"(&text) : "memory");
  return text;
}

__attribute__((noinline)) std::string clickFromSecondSite(const std::string& clickValue) {
  std::string text;
  tad_gmcs(clickValue, text);
  asm volatile("" : : "r"(&text) : "memory");
  return text;
}

}  // namespace signals_probe

namespace {

using Bytes = std::vector<uint8_t>;

// The fields of a record, read back from its text.
struct Record {
  uint8_t kind = 0;
  uint32_t touchCount = 0;
  int32_t x = 0, y = 0, duration = 0;
  uint32_t milliseconds = 0;
  int32_t requestType = 0;
  uint32_t versionDigest = 0;
  uint32_t clickDigest = 0, stackDigest = 0;
  size_t size = 0;
};

uint32_t readUInt32(const Bytes& bytes, size_t offset) {
  return (uint32_t{bytes[offset]} << 24) | (uint32_t{bytes[offset + 1]} << 16) |
         (uint32_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
}

Record readRecord(const std::string& text) {
  auto bytes = RookStringEncoding::rfc4648Base64WebsafeStringEncoding()->decode(text);
  Record record;
  if (!bytes || bytes->size() < 29) return record;
  record.size = bytes->size();
  record.kind = (*bytes)[0];
  record.touchCount = readUInt32(*bytes, 1);
  record.x = static_cast<int32_t>(readUInt32(*bytes, 5));
  record.y = static_cast<int32_t>(readUInt32(*bytes, 9));
  record.duration = static_cast<int32_t>(readUInt32(*bytes, 13));
  record.milliseconds = readUInt32(*bytes, 17);
  record.requestType = static_cast<int32_t>(readUInt32(*bytes, 21));
  record.versionDigest = readUInt32(*bytes, 25);
  if (bytes->size() >= 37) {
    record.clickDigest = readUInt32(*bytes, 29);
    record.stackDigest = readUInt32(*bytes, 33);
  }
  return record;
}

class TADSignalsTest : public testing::Test {
 protected:
  void SetUp() override {
    signals::setClockForTesting([this] { return now_; });
    signals::resetForTesting();
  }
  void TearDown() override {
    signals::setClockForTesting(nullptr);
    signals::setStackTraceForTesting(nullptr);
    signals::resetForTesting();
  }

  std::string requestText() {
    std::string text;
    EXPECT_NE(tad_gmrs(text), 0);
    return text;
  }
  std::string clickText(const std::string& clickValue) {
    std::string text;
    EXPECT_NE(tad_gmcs(clickValue, text), 0);
    return text;
  }

  double now_ = 100.0;
};

// ---- Request texts ----

TEST_F(TADSignalsTest, RequestTextIsAPinnedRecordOfTheFactsHandedOver) {
  now_ = 50.0;
  tad_htg(0, 0, 0);  // the component starts here
  tad_htg(320, -48, 120);
  tad_gig(5, "4.1.1");
  now_ = 52.25;
  const std::string text = requestText();
  EXPECT_EQ(text, "sig=AQAAAAIAAAFA____0AAAAHgAAAjKAAAABRWk_n8");
  const Record record = readRecord(text.substr(4));
  EXPECT_EQ(record.kind, TADSignalRecord::kRequestKind);
  EXPECT_EQ(record.size, 29u);
  EXPECT_EQ(record.touchCount, 2u);
  EXPECT_EQ(record.x, 320);
  EXPECT_EQ(record.y, -48);
  EXPECT_EQ(record.duration, 120);
  EXPECT_EQ(record.milliseconds, 2250u);
  EXPECT_EQ(record.requestType, 5);
  EXPECT_EQ(record.versionDigest, TADSignalRecord::digest("4.1.1"));
}

TEST_F(TADSignalsTest, BeforeAnyFactsAndAfterAResetTheRecordHoldsNone) {
  const std::string before = requestText();
  const Record record = readRecord(before.substr(4));
  EXPECT_EQ(record.touchCount, 0u);
  EXPECT_EQ(record.x, 0);
  EXPECT_EQ(record.milliseconds, 0u);
  EXPECT_EQ(record.requestType, -1);
  EXPECT_EQ(record.versionDigest, TADSignalRecord::digest(""));
  tad_htg(1, 2, 3);
  tad_gig(1, "x");
  signals::resetForTesting();
  now_ = 200.0;
  EXPECT_EQ(requestText(), before);
  // The time since the start (200 s now) stays within its field.
  now_ = 190.0;
  EXPECT_EQ(readRecord(requestText().substr(4)).milliseconds, 0u);
  now_ = 200.0 + 1e9;
  EXPECT_EQ(readRecord(requestText().substr(4)).milliseconds, 0xFFFFFFFFu);
}

// ---- Click texts ----

TEST_F(TADSignalsTest, ClickTextIsPinnedUnderAFixedStack) {
  signals::setStackTraceForTesting([] { return std::string("#0  app 0x0000000000001000 f()"); });
  tad_htg(7, 8, 9);
  tad_gig(0, "4.1.1");
  now_ = 100.125;
  const std::string text = clickText("ai-value");
  EXPECT_EQ(text, "AgAAAAEAAAAHAAAACAAAAAkAAAB9AAAAABWk_n_ZUi-3YeShmA");
  const Record record = readRecord(text);
  EXPECT_EQ(record.kind, TADSignalRecord::kClickKind);
  EXPECT_EQ(record.size, 37u);
  EXPECT_EQ(record.clickDigest, TADSignalRecord::digest("ai-value"));
  EXPECT_EQ(record.stackDigest, TADSignalRecord::stackDigest("#0  app 0x0 f()"));
}

TEST_F(TADSignalsTest, ClickTextIsBoundToTheCallingStack) {
  const std::string first = signals_probe::clickFromFirstSite("ai");
  EXPECT_EQ(signals_probe::clickFromFirstSite("ai"), first);
  EXPECT_NE(signals_probe::clickFromSecondSite("ai"), first);
}

TEST(TADSignalRecordTest, StackDigestIgnoresAddressesButNotNames) {
  const uint32_t digest = TADSignalRecord::stackDigest(
      "#0  app                                 0x0000000000001234 f()\n"
      "#1  libc.so.6                           0x00007f0000000000 main()");
  EXPECT_EQ(TADSignalRecord::stackDigest(
                "#0  app                                 0x00000000000099ff f()\n"
                "#1  libc.so.6                           0x00007f1234567890 main()"),
            digest);
  EXPECT_NE(TADSignalRecord::stackDigest(
                "#0  app                                 0x0000000000001234 g()\n"
                "#1  libc.so.6                           0x00007f0000000000 main()"),
            digest);
  EXPECT_EQ(TADSignalRecord::digest(""), 2166136261u);
  EXPECT_EQ(TADSignalRecord::digest("a"), 0xE40C292Cu);
}

// ---- Contract of the entry points ----

TEST_F(TADSignalsTest, LeavesAnOutStringThatIsNotEmptyAlone) {
  std::string out = "keep";
  EXPECT_EQ(tad_gmrs(out), 0);
  EXPECT_EQ(out, "keep");
  EXPECT_EQ(tad_gmcs("ai", out), 0);
  EXPECT_EQ(out, "keep");
}

}  // namespace
