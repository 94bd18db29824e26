#include "signals/TADSignals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/RookStringEncoding.h"
#include "signals/TADSignalRecord.h"
#include "signals/TADSignalsTesting.h"

// Call sites with names of their own, so the real stack trace can tell them apart.
namespace signals_probe {

template <int Site>
__attribute__((noinline)) std::string clickFromSite(const std::string& clickValue) {
  std::string text;
  tad_gmcs(clickValue, text);
  asm volatile("" : : "r"(&text), "r"(Site) : "memory");
  return text;
}

}  // namespace signals_probe

namespace {

using Fields = std::vector<uint32_t>;

// A record read back from its text: the kind, then each 32-bit field (as laid out in
// TADSignalRecord.h: touches, x, y, duration, milliseconds, request type, version digest, and a
// click's two digests).
Fields fieldsOf(const std::string& text) {
  auto bytes = RookStringEncoding::rfc4648Base64WebsafeStringEncoding()->decode(text);
  if (!bytes || bytes->empty()) return {};
  Fields fields{(*bytes)[0]};
  for (size_t i = 1; i + 4 <= bytes->size(); i += 4) {
    fields.push_back(uint32_t{(*bytes)[i]} << 24 | uint32_t{(*bytes)[i + 1]} << 16 |
                     uint32_t{(*bytes)[i + 2]} << 8 | (*bytes)[i + 3]);
  }
  return fields;
}

constexpr uint32_t negative(int32_t value) {
  return static_cast<uint32_t>(value);
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

TEST_F(TADSignalsTest, RequestTextIsAPinnedRecordOfTheFactsHandedOver) {
  now_ = 50.0;
  tad_htg(0, 0, 0);  // the component starts here
  tad_htg(320, -48, 120);
  tad_gig(5, "4.1.1");
  now_ = 52.25;
  const std::string text = requestText();
  EXPECT_EQ(text, "sig=AQAAAAIAAAFA____0AAAAHgAAAjKAAAABRWk_n8");
  EXPECT_EQ(fieldsOf(text.substr(4)), (Fields{TADSignalRecord::kRequestKind, 2, 320, negative(-48),
                                              120, 2250, 5, TADSignalRecord::digest("4.1.1")}));
}

TEST_F(TADSignalsTest, BeforeAnyFactsAndAfterAResetTheRecordHoldsNone) {
  const std::string before = requestText();
  EXPECT_EQ(fieldsOf(before.substr(4)), (Fields{TADSignalRecord::kRequestKind, 0, 0, 0, 0, 0,
                                                negative(-1), TADSignalRecord::digest("")}));
  tad_htg(1, 2, 3);
  tad_gig(1, "x");
  signals::resetForTesting();
  now_ = 200.0;
  EXPECT_EQ(requestText(), before);
  // The time since the start (200 s now) stays within its field.
  now_ = 190.0;
  EXPECT_EQ(fieldsOf(requestText().substr(4))[5], 0u);
  now_ = 200.0 + 1e9;
  EXPECT_EQ(fieldsOf(requestText().substr(4))[5], 0xFFFFFFFFu);
}

TEST_F(TADSignalsTest, ClickTextIsPinnedUnderAFixedStack) {
  signals::setStackTraceForTesting([] { return std::string("#0  app 0x0000000000001000 f()"); });
  tad_htg(7, 8, 9);
  tad_gig(0, "4.1.1");
  now_ = 100.125;
  const std::string text = clickText("ai-value");
  EXPECT_EQ(text, "AgAAAAEAAAAHAAAACAAAAAkAAAB9AAAAABWk_n_ZUi-3YeShmA");
  EXPECT_EQ(fieldsOf(text),
            (Fields{TADSignalRecord::kClickKind, 1, 7, 8, 9, 125, 0,
                    TADSignalRecord::digest("4.1.1"), TADSignalRecord::digest("ai-value"),
                    TADSignalRecord::stackDigest("#0  app 0x0 f()")}));
}

TEST_F(TADSignalsTest, ClickTextIsBoundToTheCallingStack) {
  const std::string first = signals_probe::clickFromSite<1>("ai");
  EXPECT_EQ(signals_probe::clickFromSite<1>("ai"), first);
  EXPECT_NE(signals_probe::clickFromSite<2>("ai"), first);
}

TEST(TADSignalRecordTest, StackDigestIgnoresAddressesButNotNames) {
  auto digestOf = [](std::string appFrame, std::string libcAddress) {
    return TADSignalRecord::stackDigest("#0  app                                 " + appFrame +
                                        "\n#1  libc.so.6                           " + libcAddress +
                                        " main()");
  };
  const uint32_t digest = digestOf("0x0000000000001234 f()", "0x00007f0000000000");
  EXPECT_EQ(digestOf("0x00000000000099ff f()", "0x00007f1234567890"), digest);
  EXPECT_NE(digestOf("0x0000000000001234 g()", "0x00007f0000000000"), digest);
}

TEST_F(TADSignalsTest, LeavesAnOutStringThatIsNotEmptyAlone) {
  std::string out = "keep";
  EXPECT_EQ(tad_gmrs(out), 0);
  EXPECT_EQ(out, "keep");
  EXPECT_EQ(tad_gmcs("ai", out), 0);
  EXPECT_EQ(out, "keep");
}

}  // namespace
