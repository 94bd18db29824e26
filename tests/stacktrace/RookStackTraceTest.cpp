#include "stacktrace/RookStackTrace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

// The test program exports no symbols: its frames are named from its own file.
namespace stacktrace_probe {

// The barrier keeps the call from becoming a tail call, which would remove the probe's frame.
__attribute__((noinline)) std::string traceFromProbe() {
  std::string trace = RookStackTrace();
  asm volatile("" : : "r"(&trace) : "memory");
  return trace;
}

struct Probe {
  __attribute__((noinline)) static std::string traceFromStaticMember(int depth) {
    std::string trace = depth > 0 ? traceFromStaticMember(depth - 1) : traceFromProbe();
    asm volatile("" : : "r"(&trace) : "memory");
    return trace;
  }
};

__attribute__((noinline)) int plainFunction(int x) {
  return x * 3 + 1;
}

}  // namespace stacktrace_probe

namespace {

// A local symbol, which no loader table holds.
__attribute__((noinline)) int localFunction(int x) {
  return x * 5 + 2;
}

using testing::ContainsRegex;
using testing::HasSubstr;
using testing::MatchesRegex;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    lines.push_back(line);
  return lines;
}

const void* insidePlainFunction() {
  return reinterpret_cast<const char*>(&stacktrace_probe::plainFunction) + 1;
}

TEST(RookStackTraceTest, StartsAtTheCallerNumberedFromZeroAndNamesSharedLibraries) {
  const auto lines = linesOf(stacktrace_probe::traceFromProbe());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_THAT(lines[0], MatchesRegex("#0  stacktrace_tests +0x[0-9a-f]{16} "
                                     "stacktrace_probe::traceFromProbe\\(\\)"));
  EXPECT_EQ(lines[0].substr(4, 35), "stacktrace_tests                   ");
  EXPECT_THAT(lines[1], testing::StartsWith("#1  "));
  for (const auto& line : lines)
    EXPECT_THAT(line, testing::Not(testing::EndsWith(" RookStackTrace()")));
  // The lowest frames belong to the C library's start-up code.
  EXPECT_THAT(stacktrace_probe::traceFromProbe(), ContainsRegex("\n#[0-9]+ +libc\\.so\\.6 "));
}

TEST(RookStackTraceTest, NamesCppFunctionsWithoutTheirParameters) {
  const auto lines = linesOf(stacktrace_probe::Probe::traceFromStaticMember(9));
  ASSERT_GE(lines.size(), 12u);
  EXPECT_THAT(lines[1], HasSubstr(" stacktrace_probe::Probe::traceFromStaticMember()"));
  EXPECT_THAT(lines[10], HasSubstr(" stacktrace_probe::Probe::traceFromStaticMember()"));
  EXPECT_THAT(lines[10], testing::StartsWith("#10 "));
  EXPECT_THAT(lines[11], testing::StartsWith("#11 "));
}

TEST(RookStackTraceTest, DescribesAddressesThroughTheLoader) {
  const void* addresses[] = {insidePlainFunction(), reinterpret_cast<const void*>(0x10),
                             reinterpret_cast<const char*>(&localFunction) + 1};
  RookStackAddressDescriptor descriptors[3];
  ASSERT_EQ(RookGetStackAddressDescriptorsForAddresses(addresses, descriptors, 3), 3u);
  EXPECT_STREQ(descriptors[2].symbolName, "(anonymous namespace)::localFunction");
  EXPECT_EQ(descriptors[0].address, addresses[0]);
  EXPECT_STREQ(descriptors[0].symbolName, "stacktrace_probe::plainFunction");
  EXPECT_EQ(descriptors[0].className, nullptr);
  ASSERT_NE(descriptors[0].fileName, nullptr);
  EXPECT_THAT(descriptors[0].fileName, testing::EndsWith("/stacktrace_tests"));
  EXPECT_STREQ(descriptors[1].symbolName, "???");
  EXPECT_EQ(descriptors[1].fileName, nullptr);
  EXPECT_EQ(RookStackTraceFromAddressDescriptors(descriptors + 1, 1),
            "#0  ??                                  0x0000000000000010 ???"
            "()");
  // Nothing without both arrays and a count.
  RookStackAddressDescriptor untouched[1];
  EXPECT_EQ(RookGetStackAddressDescriptorsForAddresses(nullptr, untouched, 1), 0u);
  EXPECT_EQ(RookGetStackAddressDescriptorsForAddresses(addresses, nullptr, 1), 0u);
  EXPECT_EQ(RookGetStackAddressDescriptorsForAddresses(addresses, untouched, 0), 0u);
  EXPECT_EQ(untouched[0].symbolName, nullptr);
}

// Missing names are written as question marks.
TEST(RookStackTraceTest, FormatsMethodAndFunctionLines) {
  const RookStackAddressDescriptor descriptors[] = {
      {reinterpret_cast<const void*>(0xABC), "sharedStatistics", "TADStatistics", true,
       "/usr/lib/libtad.so"},
      {reinterpret_cast<const void*>(0x1234), "loadRequest:", "TADBannerView", false, "app"},
      {reinterpret_cast<const void*>(0xFFFF), "main", nullptr, false, "/opt/bin/quillbeck"},
      {nullptr, nullptr, nullptr, false, nullptr},
      {nullptr, nullptr, "Cls", false, "lib\xFF.so"},  // a file name that is not UTF-8
  };
  EXPECT_EQ(RookStackTraceFromAddressDescriptors(descriptors, 5),
            "#0  libtad.so                           0x0000000000000abc "
            "+[TADStatistics sharedStatistics]\n"
            "#1  app                                 0x0000000000001234 "
            "-[TADBannerView loadRequest:]\n"
            "#2  quillbeck                           0x000000000000ffff main()\n"
            "#3  ??                                  0x0000000000000000 ?\?()\n"
            "#4  ??                                  0x0000000000000000 -[Cls ??]");
  EXPECT_EQ(RookStackTraceFromAddressDescriptors(descriptors, 0), "");
  EXPECT_EQ(RookStackTraceFromAddressDescriptors(nullptr, 3), "");
}

TEST(RookStackTraceTest, ShowsTheLastPathComponentOfTheImage) {
  auto imageColumn = [](const char* path) {
    RookStackAddressDescriptor descriptor{nullptr, "f", nullptr, false, path};
    return RookStackTraceFromAddressDescriptors(&descriptor, 1).substr(4, 35);
  };
  EXPECT_THAT(imageColumn("/a/b/"), testing::StartsWith("b "));
  EXPECT_THAT(imageColumn("/"), testing::StartsWith("/ "));
  EXPECT_THAT(imageColumn("plain"), testing::StartsWith("plain "));
  EXPECT_THAT(imageColumn("/x/h\xC3\xA9.so"), testing::StartsWith("h\xC3\xA9.so "));
  // A long name pushes the later columns right rather than being cut.
  const std::string longName(40, 'n');
  RookStackAddressDescriptor descriptor{nullptr, "f", nullptr, false, longName.c_str()};
  EXPECT_EQ(RookStackTraceFromAddressDescriptors(&descriptor, 1),
            "#0  " + longName + " 0x0000000000000000 f()");
}

}  // namespace
