#include "ads/Formats/TADPropertyListReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/plist/PlistReading.h"
#include "platform/sim/SimPlatform.h"

namespace {

using namespace std::string_literals;

// A binary property list of the given encoded objects, object 0 on top, with one-byte offsets
// and references. The offsets may be given; by default each object follows the one before.
std::string binaryList(const std::vector<std::string>& objects, std::vector<size_t> offsets = {}) {
  std::string list = "bplist00";
  bool placed = offsets.empty();
  for (const std::string& object : objects) {
    if (placed) offsets.push_back(list.size());
    list += object;
  }
  size_t table = list.size();
  for (size_t offset : offsets)
    list += static_cast<char>(offset);
  std::string trailer(32, '\0');
  trailer[6] = 1;  // offset size
  trailer[7] = 1;  // reference size
  trailer[15] = static_cast<char>(offsets.size());
  trailer[31] = static_cast<char>(table);
  return list + trailer;
}

class TADPropertyListReaderTest : public ::testing::Test {
 protected:
  TADPropertyListReaderTest() {
    platform::Platform::current().propertyLists = std::make_shared<platform::plist::PlistReading>();
  }
  platform::sim::SimPlatform platform;
};

// Strings holding a NUL character are refused: libplist keeps such a character inside its string,
// then aborts the program when the string is asked for.
TEST_F(TADPropertyListReaderTest, ReadsStringsOfEveryEncodingButNoneHoldingANulCharacter) {
  EXPECT_EQ(TADPropertyListReader::valueWithBytes(
                binaryList({"\xA2\x01\x02", "\x52ok", "\x62\x00\xE9\x00!"s})),
            base::Value(base::Array{"ok", "\xC3\xA9!"}));
  const std::string utf16Nul = "\x62\x00k\x00\x00"s;
  for (const std::string& list : {
           binaryList({"\xA1\x01", utf16Nul}),                      // a value
           binaryList({"\xD1\x01\x02", utf16Nul, "\x51v"}),         // a key
           binaryList({"\xA1\x01", "\x53k\0v"s}),                   // ASCII
           "<plist><array><string>k\0v</string></array></plist>"s,  // XML
       }) {
    EXPECT_FALSE(TADPropertyListReader::valueWithBytes(list)) << list;
  }
}

// Strings do not share bytes. Objects made to name one long string many times over would have it
// scanned again for each; such a list is refused once its strings claim more than it holds.
TEST_F(TADPropertyListReaderTest, RefusesStringsThatClaimMoreBytesThanTheListHolds) {
  std::string text = "\x5F\x10\x28" + std::string(40, 'x');
  std::string list = binaryList({"\xA1\x01", text}, {8, 10});
  EXPECT_TRUE(TADPropertyListReader::valueWithBytes(list));
  list = binaryList({"\xA4\x01\x02\x03\x04", text}, {8, 13, 13, 13, 13});
  EXPECT_FALSE(TADPropertyListReader::valueWithBytes(list));
}

// libplist reads quoted values and a document type's internal subset whole; a scan for the
// nesting that stopped at the first '>' inside one would take what follows for a comment and miss
// the elements libplist then parses, however deep.
TEST_F(TADPropertyListReaderTest, RefusesXmlWhoseMarkupCouldHideElementsFromTheDepthScan) {
  const std::string plain =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\"><array><string>a</string></array></plist>";
  EXPECT_EQ(TADPropertyListReader::valueWithBytes(plain), base::Value(base::Array{"a"}));

  for (const char* opening :
       {"<plist a=\"><!--\">", "<?xml a=\"?><!--\"?><plist>", "<!DOCTYPE plist \"><!--\"><plist>",
        "<!DOCTYPE plist [<!ENTITY a \"x\"><!--]><plist>"}) {
    EXPECT_FALSE(TADPropertyListReader::valueWithBytes(opening + "<array/><!----></plist>"s))
        << opening;
  }
  const size_t levels = 200000;  // enough to exhaust libplist's stack
  std::string deep = "<plist a=\"><!--\">";
  for (size_t i = 0; i < levels; ++i)
    deep += "<array>";
  for (size_t i = 0; i < levels; ++i)
    deep += "</array>";
  EXPECT_FALSE(TADPropertyListReader::valueWithBytes(deep + "<!----></plist>"));
}

}  // namespace
