// The library's own user-defaults file: every kind of value reads back as the kind it was saved
// as, and bytes a save could not have written read as no store.

#include "platform/glib/VariantUserDefaultsFormat.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Decimal.h"

namespace platform::glib {
namespace {

using namespace std::string_literals;

const VariantUserDefaultsFormat& format() {
  return *VariantUserDefaultsFormat::shared();
}

base::Value nestedArrays(size_t depth) {
  base::Value value = 1;
  for (size_t i = 0; i < depth; ++i)
    value = base::Array{std::move(value)};
  return value;
}

// The bytes of a dictionary written in GVariant's text form (little-endian, as a save writes).
std::string serialised(const char* text) {
  GVariant* variant = g_variant_ref_sink(g_variant_new_parsed(text));
  std::string bytes(static_cast<const char*>(g_variant_get_data(variant)),
                    g_variant_get_size(variant));
  g_variant_unref(variant);
  return bytes;
}

TEST(VariantUserDefaultsFormatTest, EveryValueKindReadsBackAsSaved) {
  const base::Dictionary stored{
      {"null", base::Value()},
      {"true", true},
      {"false", false},
      {"integer", static_cast<long long>(INT64_MIN)},
      {"double", 0.1},
      {"decimal", base::Value(base::Decimal::fromString("2.50").value())},
      {"string", "héllo"},
      {"date", base::Date(-86400.5)},
      {"data", base::Data{0, 1, 255}},
      {"array", base::Array{1, "a", base::Array{}, base::Dictionary{}}},
      {"dictionary",
       base::Dictionary{{"inner", nestedArrays(VariantUserDefaultsFormat::kMaxDepth - 2)}}},
      {"", base::Dictionary{}}};
  std::optional<std::string> bytes = format().fileBytesFromDictionary(stored);
  ASSERT_TRUE(bytes);
  std::optional<base::Dictionary> read = format().dictionaryFromFileBytes(*bytes);
  ASSERT_TRUE(read);
  EXPECT_EQ(base::Value(*read), base::Value(stored));
  EXPECT_TRUE(read->find("decimal")->asDecimal());
  EXPECT_TRUE(read->find("date")->isDate());
  EXPECT_EQ(format().dictionaryFromFileBytes(*format().fileBytesFromDictionary({})),
            base::Dictionary());
}

// Text GVariant cannot hold unchanged, and nesting its files may not hold, is not saved at all,
// rather than saved changed or saved unreadable.
TEST(VariantUserDefaultsFormatTest, StoresAFileCouldNotHoldAreNotSaved) {
  for (const base::Dictionary& values :
       {base::Dictionary{{"key", "\xff"}}, base::Dictionary{{"\xc3", 1}},
        base::Dictionary{{"key", base::Array{"a\0b"s}}},
        base::Dictionary{{"deep", nestedArrays(VariantUserDefaultsFormat::kMaxDepth + 1)}}}) {
    EXPECT_FALSE(format().fileBytesFromDictionary(values));
  }
}

TEST(VariantUserDefaultsFormatTest, BytesNoSaveWritesReadAsNoStore) {
  const std::string saved = *format().fileBytesFromDictionary({{"key", "value"}, {"n", 1}});
  // Arrays in variants, one in another, in GVariant's text form.
  std::string deep = "<int64 1>";
  for (size_t i = 0; i <= VariantUserDefaultsFormat::kMaxDepth; ++i)
    deep = "<[" + deep + "]>";
  const std::string tooDeep = serialised(("{'deep': " + deep + "}").c_str());
  for (const std::string& bytes : std::vector<std::string>{
           "\x01\x02 this is no GVariant \xff", saved.substr(0, saved.size() - 1), saved.substr(1),
           saved + "\0"s, tooDeep,
           // Dictionaries holding a value of a type no save writes.
           serialised("{'k': <uint32 4>}"), serialised("{'k': <[<(1, 2)>]>}")}) {
    EXPECT_FALSE(format().dictionaryFromFileBytes(bytes)) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace platform::glib
