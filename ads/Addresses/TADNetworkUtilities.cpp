#include "ads/Addresses/TADNetworkUtilities.h"

#include "base/Utf8Validator.h"

namespace {

std::optional<std::string>& sharedUserAgentString() {
  static std::optional<std::string> text;
  return text;
}

bool isUnescaped(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Resolves %XX escapes; none when an escape is malformed or the bytes are not UTF-8.
std::optional<std::string> unescape(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = hexValue(text[i + 1]);
    int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  if (!base::Utf8Validator::isValid(bytes)) return std::nullopt;
  return bytes;
}

// Lower-cases ASCII letters and the letters of the Latin-1, Greek and Cyrillic blocks that have
// a one-to-one lower-case form; other characters stay as they are.
std::string lowercased(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + 32 : lead);
      ++i;
      continue;
    }
    size_t length = base::Utf8Validator::sequenceLength(text.data() + i, text.data() + text.size());
    if (length != 2) {
      out.append(text.substr(i, length ? length : 1));
      i += length ? length : 1;
      continue;
    }
    unsigned code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
    if ((code >= 0xC0 && code <= 0xDE && code != 0xD7) ||
        (code >= 0x391 && code <= 0x3AB && code != 0x3A2) || (code >= 0x410 && code <= 0x42F)) {
      code += 0x20;
    } else if (code >= 0x400 && code <= 0x40F) {
      code += 0x50;
    }
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
    i += 2;
  }
  return out;
}

std::string textForm(const base::Value& value) {
  if (auto text = value.asString()) return std::string(*text);
  if (value.isNumber() || value.isBoolean()) return value.numberString();
  if (value.isNull()) return {};
  return value.description();
}

}  // namespace

std::optional<std::string> TADNetworkUtilities::userAgentString() {
  return sharedUserAgentString();
}

void TADNetworkUtilities::setUserAgentString(std::string_view text) {
  if (text.empty() || sharedUserAgentString() == text) return;
  sharedUserAgentString() = std::string(text);
}

void TADNetworkUtilities::resetUserAgentStringForTesting(std::optional<std::string> text) {
  sharedUserAgentString() = std::move(text);
}

std::string TADNetworkUtilities::encodeURL(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size() * 3);
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (isUnescaped(byte)) {
      escaped += c;
      continue;
    }
    escaped += '%';
    escaped += kHex[byte >> 4];
    escaped += kHex[byte & 15];
  }
  return escaped;
}

std::optional<base::URL> TADNetworkUtilities::appendQueryParameters(
    const base::Dictionary& parameters, const base::URL& url) {
  const std::string& whole = url.absoluteString();
  // Pairs after a "#" would stay in the browser and never reach the server, so they go before
  // the fragment.
  size_t fragmentStart = url.fragment() ? whole.find('#') : std::string::npos;
  std::string text = whole.substr(0, fragmentStart);
  const auto& query = url.query();
  char separator = query && !query->empty() ? '&' : '?';
  for (const auto& [key, value] : parameters) {
    text += separator;
    separator = '&';
    text += key;
    std::string escaped = encodeURL(textForm(value));
    if (escaped.empty()) continue;
    text += '=';
    text += escaped;
  }
  if (fragmentStart != std::string::npos) text += whole.substr(fragmentStart);
  return base::URL::fromString(text);
}

std::optional<base::URL> TADNetworkUtilities::appendQueryKey(
    std::string_view key, const std::optional<base::Value>& value, const base::URL& url) {
  base::Dictionary parameters;
  parameters.set(std::string(key), value ? *value : base::Value(""));
  return appendQueryParameters(parameters, url);
}

std::optional<std::string> TADNetworkUtilities::parameterValueForKey(std::string_view key,
                                                                     const base::URL& url) {
  const auto& query = url.query();
  if (!query) return std::nullopt;
  std::string_view rest = *query;
  while (true) {
    size_t ampersand = rest.find('&');
    std::string_view piece = rest.substr(0, ampersand);
    size_t equals = piece.find('=');
    if (equals != std::string_view::npos && piece.substr(0, equals) == key) {
      std::string_view value = piece.substr(equals + 1);
      return std::string(value.substr(0, value.find('=')));
    }
    if (ampersand == std::string_view::npos) return std::nullopt;
    rest = rest.substr(ampersand + 1);
  }
}

base::Dictionary TADNetworkUtilities::dictionaryFromQueryString(
    const std::optional<std::string>& query) {
  base::Dictionary pairs;
  if (!query) return pairs;
  auto isSeparator = [](char c) { return c == '&' || c == ';'; };
  auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  std::string_view text = *query;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i]))
      ++i;  // scanners skip blanks before a token
    size_t start = i;
    while (i < text.size() && !isSeparator(text[i]))
      ++i;
    std::string_view pair = text.substr(start, i - start);
    while (i < text.size() && (isSeparator(text[i]) || isBlank(text[i])))
      ++i;

    size_t equals = pair.find('=');
    if (equals == std::string_view::npos || pair.find('=', equals + 1) != std::string_view::npos) {
      continue;
    }
    std::optional<std::string> key = unescape(pair.substr(0, equals));
    std::optional<std::string> value = unescape(pair.substr(equals + 1));
    if (!key || !value) continue;
    pairs.set(lowercased(*key), *value);
  }
  return pairs;
}
