#include "encoding/RookStringEncoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "encoding/RookAssertion.h"
#include "encoding/TAD_RookStringEncoding.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Factory = std::function<std::shared_ptr<RookStringEncoding>()>;

Bytes randomBytes(size_t count, uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(count);
  for (auto& byte : bytes)
    byte = static_cast<uint8_t>(generator());
  return bytes;
}

// Collects assertion reports for the lifetime of the object.
class AssertionRecorder {
 public:
  AssertionRecorder() {
    previous_ = RookSetAssertionHandler(
        [this](std::string_view message) { messages_.emplace_back(message); });
  }
  ~AssertionRecorder() { RookSetAssertionHandler(previous_); }
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  RookAssertionHandler previous_;
  std::vector<std::string> messages_;
};

struct NamedEncoding {
  const char* name;
  Factory make;
  std::string_view alphabet;
  int bitsPerCharacter;
  size_t paddedGroup;  // 0: no padding character
};

const std::vector<NamedEncoding>& namedEncodings() {
  static const std::vector<NamedEncoding> encodings = {
      {"binary", RookStringEncoding::binaryStringEncoding, "01", 1, 0},
      {"hex", RookStringEncoding::hexStringEncoding, "0123456789ABCDEF", 4, 0},
      {"base32", RookStringEncoding::rfc4648Base32StringEncoding,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", 5, 8},
      {"base32hex", RookStringEncoding::rfc4648Base32HexStringEncoding,
       "0123456789ABCDEFGHIJKLMNOPQRSTUV", 5, 8},
      {"crockford", RookStringEncoding::crockfordBase32StringEncoding,
       "0123456789ABCDEFGHJKMNPQRSTVWXYZ", 5, 0},
      {"base64", RookStringEncoding::rfc4648Base64StringEncoding,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", 6, 4},
      {"base64websafe", RookStringEncoding::rfc4648Base64WebsafeStringEncoding,
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_", 6, 4},
  };
  return encodings;
}

// An independent oracle: writes the bits out as a string of '0' and '1' and reads them back in
// groups, the way the encoding is defined.
std::string encodeBitByBit(const Bytes& bytes, std::string_view alphabet, int bits) {
  std::string bitText;
  for (uint8_t byte : bytes) {
    for (int bit = 7; bit >= 0; --bit)
      bitText.push_back((byte >> bit) & 1 ? '1' : '0');
  }
  while (bitText.size() % bits != 0)
    bitText.push_back('0');
  std::string text;
  for (size_t i = 0; i < bitText.size(); i += bits)
    text.push_back(alphabet[std::stoi(bitText.substr(i, bits), nullptr, 2)]);
  return text;
}

// Lengths and padding of every encoding are pinned by the bit oracle below.
TEST(RookStringEncodingTest, DecodesOnlyWhatIsDataThenPaddingWithNoBitsLeftOver) {
  auto base64 = RookStringEncoding::rfc4648Base64StringEncoding();
  auto hex = RookStringEncoding::hexStringEncoding();
  const std::optional<Bytes> refused;
  const std::tuple<RookStringEncoding&, std::string_view, std::optional<Bytes>> cases[] = {
      // Any number of padding characters after the data, none needed.
      {*base64, "/w", Bytes{0xFF}},
      {*base64, "/w=", Bytes{0xFF}},
      {*base64, "/w======", Bytes{0xFF}},
      {*base64, "====", Bytes{}},
      {*base64, "AQID====", Bytes{1, 2, 3}},
      // Data after padding.
      {*base64, "/w==AQID", refused},
      {*base64, "Zg=v", refused},
      {*base64, "=AAA", refused},
      {*base64, "AQIDZg=x", refused},
      // Leftover bits must be zero.
      {*base64, "A", Bytes{}},
      {*base64, "B", refused},
      {*base64, "/x", refused},        // the last four bits are 0001
      {*base64, "AQIDZh==", refused},  // four leftover bits 0001
      {*base64, "AQIDZm9=", refused},  // two leftover bits 01
      {*base64, "AQIDZm9", refused},
      {*base64, "AQIDZm8=", Bytes{1, 2, 3, 'f', 'o'}},
      {*hex, "0", Bytes{}},
      {*hex, "ABC", refused},
      // Characters outside the encoding.
      {*base64, "AQ ID", refused},
      {*base64, "AQID\n", refused},
      {*base64, "AQ-D", refused},
      {*base64, "AQ\xC3\xA9", refused},  // not ASCII
      {*base64, "\x80\x80\x80\x80", refused},
      {*hex, "0G", refused},
      {*hex, "aB0f", Bytes{0xAB, 0x0F}},  // either case
      // A NUL character ends the text.
      {*base64, std::string_view("AQID\0!!", 7), Bytes{1, 2, 3}},
      {*base64, std::string_view("\0AQID", 5), Bytes{}},
  };
  for (const auto& [encoding, text, expected] : cases)
    EXPECT_EQ(encoding.decode(text), expected) << text;
}

TEST(RookStringEncodingTest, CrockfordReadsLookAlikesAndLowerCase) {
  auto crockford = RookStringEncoding::crockfordBase32StringEncoding();
  // Each canonical text decodes (no bits left over), so a look-alike read as nothing differs.
  const std::pair<const char*, const char*> lookAlikes[] = {
      {"oo", "00"}, {"OO", "00"}, {"ig", "1G"}, {"IG", "1G"},
      {"lg", "1G"}, {"LG", "1G"}, {"Lo", "10"}, {"abcdefgh", "ABCDEFGH"}};
  for (auto [text, canonical] : lookAlikes) {
    ASSERT_TRUE(crockford->decode(canonical)) << canonical;
    EXPECT_EQ(crockford->decode(text), crockford->decode(canonical)) << text;
  }
  EXPECT_FALSE(crockford->decode("0U"));
  EXPECT_FALSE(crockford->decode("0u"));
  EXPECT_EQ(crockford->encode(*crockford->decode("abcdefgh")), "ABCDEFGH");
}

TEST(RookStringEncodingTest, SynonymGroupsStartAtEveryKnownCharacter) {
  auto encoding = RookStringEncoding::stringEncodingWithString("01");
  encoding->setPaddingChar('=');
  // 'o' reads as 0; 'i' and 'l' as 1; '.' as padding; '1' already known, so it starts a group.
  encoding->addDecodeSynonyms("0o1il=.");
  EXPECT_EQ(encoding->decode("oiiiiiii"), Bytes{0x7F});
  EXPECT_EQ(encoding->decode("0l0l0l0l.="), Bytes{0x55});
  EXPECT_FALSE(encoding->decode("0l0l0l0l.0"));
  // Characters before the first known one have nothing to decode like.
  auto hex = RookStringEncoding::stringEncodingWithString("0123456789ABCDEF");
  hex->addDecodeSynonyms("xA");
  EXPECT_FALSE(hex->decode("x0"));
}

// Ignored characters are skipped anywhere; ignoring one the encoding knows is reported (through
// the default handler without stopping) and leaves its meaning.
TEST(RookStringEncodingTest, SkipsIgnoredCharactersAnywhereButNeverOneItKnows) {
  auto base64 = RookStringEncoding::rfc4648Base64StringEncoding();
  base64->ignoreCharacters(" \r\n");
  EXPECT_EQ(base64->decode(" AQ\r\nI D \n"), (Bytes{1, 2, 3}));
  EXPECT_EQ(base64->decode("Zg= =\n"), Bytes{'f'});
  EXPECT_FALSE(base64->decode("Zg= v"));
  {
    AssertionRecorder recorder;
    base64->ignoreCharacters("A=");
    EXPECT_THAT(recorder.messages(),
                testing::ElementsAre("Character already mapped", "Character already mapped"));
  }
  EXPECT_EQ(base64->decode("AA A="), (Bytes{0, 0}));
  EXPECT_FALSE(base64->decode("AA==AA"));

  testing::internal::CaptureStderr();
  base64->ignoreCharacters("A");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "<Talvik> Assertion failed: Character already mapped\n");
}

// A padding character must not be data or outside ASCII; a new one joins the earlier ones.
TEST(RookStringEncodingTest, PaddingCharactersAreSafeAndAddUp) {
  AssertionRecorder recorder;
  auto base64 = RookStringEncoding::rfc4648Base64StringEncoding();
  base64->setPaddingChar('A');
  base64->setPaddingChar('\xE9');
  base64->addDecodeSynonyms("A\xE9");
  base64->ignoreCharacters("\xE9");
  EXPECT_EQ(recorder.messages().size(), 4u);
  EXPECT_EQ(base64->encode({0, 0}), "AAA=");
  EXPECT_EQ(base64->decode("AAA="), (Bytes{0, 0}));
  base64->setPaddingChar('.');
  EXPECT_EQ(base64->encode({0xFF}), "/w..");
  EXPECT_EQ(base64->decode("/w=."), Bytes{0xFF});
}

TEST(RookStringEncodingTest, RefusesInvalidAlphabets) {
  // Too short, not a power of two, a repeated character, one outside ASCII.
  for (const char* alphabet : {"", "0", "012", "0123456", "0120", "0\303\2511"})
    EXPECT_FALSE(RookStringEncoding::stringEncodingWithString(alphabet)) << alphabet;
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i)
    all[i] = static_cast<char>(i);
  EXPECT_FALSE(RookStringEncoding::stringEncodingWithString(all));
  EXPECT_FALSE(RookStringEncoding::initWithString(all.substr(0, 129)));
  EXPECT_TRUE(RookStringEncoding::initWithString(all.substr(0, 128)));
  EXPECT_TRUE(RookStringEncoding::initWithString("ab"));
}

TEST(RookStringEncodingTest, Base128OverEveryASCIICharacterRoundTrips) {
  std::string ascii(128, '\0');
  for (int i = 0; i < 128; ++i)
    ascii[i] = static_cast<char>(i);
  auto encoding = RookStringEncoding::stringEncodingWithString(ascii);
  ASSERT_TRUE(encoding);
  encoding->setDoPad(true);  // no padding character: nothing to pad with
  const Bytes bytes = {0, 0, 0, 0xFF, 0, 1};
  const std::string text = encoding->encode(bytes);
  EXPECT_EQ(text.size(), 7u);
  EXPECT_EQ(text[0], '\0');  // NUL is a data character here, not the end of the text
  EXPECT_EQ(encoding->decode(text), bytes);
}

TEST(RookStringEncodingTest, EveryClassOperationMakesAFreshObject) {
  auto first = TAD_RookStringEncoding::rfc4648Base64WebsafeStringEncoding();
  first->setDoPad(false);
  first->ignoreCharacters(" ");
  auto second = RookStringEncoding::rfc4648Base64WebsafeStringEncoding();
  EXPECT_NE(first, second);
  EXPECT_TRUE(second->doPad());
  EXPECT_FALSE(second->decode("AA A"));
}

TEST(RookStringEncodingTest, DecodesToTextOnlyWhenTheBytesAreUTF8) {
  auto base64 = RookStringEncoding::rfc4648Base64StringEncoding();
  EXPECT_EQ(base64->stringByDecoding(base64->encodeString("h\xC3\xA9llo \xF0\x9F\x8E\xB5")),
            "h\xC3\xA9llo \xF0\x9F\x8E\xB5");
  // What is well-formed UTF-8 is the validator's own suite.
  EXPECT_FALSE(base64->stringByDecoding(base64->encode({0xC3})));
  EXPECT_FALSE(base64->stringByDecoding("B"));
}

TEST(RookStringEncodingTest, EveryNamedEncodingMatchesTheBitOracleAndRoundTrips) {
  for (const auto& named : namedEncodings()) {
    for (bool pad : {true, false}) {
      auto encoding = named.make();
      encoding->setDoPad(pad);
      for (size_t length : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 31, 64, 65, 1000}) {
        const Bytes bytes = randomBytes(length, static_cast<uint32_t>(length));
        std::string expected = encodeBitByBit(bytes, named.alphabet, named.bitsPerCharacter);
        if (pad && named.paddedGroup > 0) {
          expected.resize(
              (expected.size() + named.paddedGroup - 1) / named.paddedGroup * named.paddedGroup,
              '=');
        }
        const std::string text = encoding->encode(bytes);
        EXPECT_EQ(text, expected) << named.name << " pad " << pad << " length " << length;
        EXPECT_EQ(encoding->decode(text), bytes) << named.name << " length " << length;
      }
    }
  }
}

TEST(RookStringEncodingTest, DecodesTheSameWithOrWithoutInterruptions) {
  // Ignored characters break up whole groups, so decoding takes the character-by-character road.
  for (const auto& named : namedEncodings()) {
    auto encoding = named.make();
    encoding->ignoreCharacters(" ");
    const Bytes bytes = randomBytes(97, 7);
    const std::string text = encoding->encode(bytes);
    for (size_t step : {1, 2, 3, 5}) {
      std::string spaced;
      for (size_t i = 0; i < text.size(); ++i) {
        if (i % step == 0) spaced.push_back(' ');
        spaced.push_back(text[i]);
      }
      EXPECT_EQ(encoding->decode(spaced), bytes) << named.name << " step " << step;
    }
  }
}

TEST(RookStringEncodingTest, SixtyFourCharacterAlphabetsFromAnyPartOfASCIIRoundTrip) {
  // Long texts are decoded in blocks through per-range tables; alphabets from the low, middle
  // and high ASCII codes reach every table.
  for (int first : {1, 32, 64}) {
    std::string alphabet;
    for (int code = first; code < first + 64; ++code)
      alphabet.push_back(static_cast<char>(code));
    auto encoding = RookStringEncoding::stringEncodingWithString(alphabet);
    ASSERT_TRUE(encoding);
    const Bytes bytes = randomBytes(1000, first);
    const std::string text = encoding->encode(bytes);
    EXPECT_EQ(text, encodeBitByBit(bytes, alphabet, 6)) << first;
    EXPECT_EQ(encoding->decode(text), bytes) << first;
  }
}

TEST(RookStringEncodingTest, EveryByteInEveryPlaceOfALongTextDecodesAsItsOwnEntrySays) {
  constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  auto base64 = RookStringEncoding::rfc4648Base64StringEncoding();
  base64->addDecodeSynonyms("A@/~");  // '@' decodes like 'A', '~' like '/'
  base64->ignoreCharacters("\x7F");
  const std::string text = base64->encode(randomBytes(36, 3));  // 48 characters, no padding
  for (size_t place = 0; place < text.size(); ++place) {
    for (int code = 1; code < 256; ++code) {
      std::string changed = text;
      changed[place] = static_cast<char>(code);
      const char c = static_cast<char>(code);
      const char canonical = c == '@' ? 'A' : c == '~' ? '/' : c;
      const auto decoded = base64->decode(changed);
      if (kAlphabet.find(canonical) != std::string_view::npos) {
        std::string canonicalText = changed;
        canonicalText[place] = canonical;
        ASSERT_TRUE(decoded) << place << " " << code;
        ASSERT_EQ(encodeBitByBit(*decoded, kAlphabet, 6), canonicalText) << place << " " << code;
      } else if (code == 0x7F) {
        // Ignored: the text is one character shorter, and its leftover bits decide.
        const std::string shorter = text.substr(0, place) + text.substr(place + 1);
        ASSERT_EQ(decoded, base64->decode(shorter)) << place;
      } else {
        ASSERT_FALSE(decoded) << place << " " << code;
      }
    }
  }
}

}  // namespace
