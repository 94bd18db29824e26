#include "base/URL.h"

#include <cctype>

#include "base/ASCII.h"

namespace base {

namespace {

bool isAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isHex(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isUnreserved(char c) {
  return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
bool isSubDelim(char c) {
  switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
      return true;
    default:
      return false;
  }
}

// Whether every character is unreserved, a sub-delimiter, one of extra, or a valid %HH escape.
bool isValidComponent(std::string_view text, std::string_view extra) {
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
      i += 2;
      continue;
    }
    if (!isUnreserved(c) && !isSubDelim(c) && extra.find(c) == std::string_view::npos) return false;
  }
  return true;
}

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty() || !isAlpha(scheme[0])) return false;
  for (char c : scheme) {
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

bool isValidIPLiteral(std::string_view inside) {
  if (inside.empty()) return false;
  if (inside[0] == 'v' || inside[0] == 'V') {  // IPvFuture
    size_t dot = inside.find('.');
    if (dot == std::string_view::npos || dot < 2 || dot + 1 == inside.size()) return false;
    for (size_t i = 1; i < dot; ++i) {
      if (!isHex(inside[i])) return false;
    }
    for (char c : inside.substr(dot + 1)) {
      if (!isUnreserved(c) && !isSubDelim(c) && c != ':') return false;
    }
    return true;
  }
  for (char c : inside) {
    if (!isHex(c) && c != ':' && c != '.') return false;
  }
  return inside.find(':') != std::string_view::npos;
}

// RFC 3986 section 5.2.4.
std::string removeDotSegments(std::string_view input) {
  std::string output;
  while (!input.empty()) {
    if (input.starts_with("../")) {
      input.remove_prefix(3);
    } else if (input.starts_with("./")) {
      input.remove_prefix(2);
    } else if (input.starts_with("/./")) {
      input.remove_prefix(2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.starts_with("/../") || input == "/..") {
      input = input.size() == 3 ? std::string_view("/") : input.substr(3);
      size_t slash = output.rfind('/');
      output.erase(slash == std::string::npos ? 0 : slash);
    } else if (input == "." || input == "..") {
      input = {};
    } else {
      size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      if (next == std::string_view::npos) next = input.size();
      output.append(input.substr(0, next));
      input.remove_prefix(next);
    }
  }
  return output;
}

std::string authorityText(const URL& url) {
  std::string text;
  if (!url.user().empty() || !url.password().empty()) {
    text += url.user();
    if (!url.password().empty()) text += ":" + url.password();
    text += "@";
  }
  text += url.host().find(':') != std::string::npos ? "[" + url.host() + "]" : url.host();
  if (url.port()) text.append(":").append(std::to_string(*url.port()));
  return text;
}

// The text of a URL whose parts were changed. A path that starts with "//" where there is no
// authority would read back as one, so it is written behind a "/." segment, which names the same
// path.
std::string textFromParts(const URL& url, std::string_view path) {
  std::string text = url.scheme() + ":";
  if (url.hasAuthority()) {
    text += "//" + authorityText(url);
  } else if (path.starts_with("//")) {
    text += "/.";
  }
  text += path;
  if (url.query()) text += "?" + *url.query();
  if (url.fragment()) text += "#" + *url.fragment();
  return text;
}

}  // namespace

std::string percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  auto nibble = [](char c) {
    return isDigit(c) ? c - '0' : (std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
      out += static_cast<char>(nibble(text[i + 1]) * 16 + nibble(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<URL> URL::fromString(std::string_view text) {
  URL url;
  if (!url.parse(text)) return std::nullopt;
  return url;
}

bool URL::parse(std::string_view text) {
  if (text.empty()) return false;
  text_ = std::string(text);

  size_t hash = text.find('#');
  if (hash != std::string_view::npos) {
    std::string_view fragment = text.substr(hash + 1);
    if (!isValidComponent(fragment, ":@/?")) return false;
    fragment_ = std::string(fragment);
    text = text.substr(0, hash);
  }
  size_t question = text.find('?');
  if (question != std::string_view::npos) {
    std::string_view query = text.substr(question + 1);
    if (!isValidComponent(query, ":@/?")) return false;
    query_ = std::string(query);
    text = text.substr(0, question);
  }

  size_t colon = text.find(':');
  size_t slash = text.find('/');
  if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
    std::string_view scheme = text.substr(0, colon);
    // A relative path's first segment may not hold a colon, so this must be a scheme.
    if (!isValidScheme(scheme)) return false;
    scheme_ = std::string(scheme);
    text = text.substr(colon + 1);
  }

  if (text.starts_with("//")) {
    text.remove_prefix(2);
    size_t end = text.find('/');
    if (end == std::string_view::npos) end = text.size();
    if (!parseAuthority(text.substr(0, end))) return false;
    text = text.substr(end);
  }
  if (!isValidComponent(text, ":@/")) return false;
  path_ = std::string(text);
  return true;
}

bool URL::parseAuthority(std::string_view authority) {
  hasAuthority_ = true;
  size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    std::string_view userInfo = authority.substr(0, at);
    if (!isValidComponent(userInfo, ":")) return false;
    size_t colon = userInfo.find(':');
    user_ = std::string(userInfo.substr(0, colon));
    if (colon != std::string_view::npos) password_ = std::string(userInfo.substr(colon + 1));
    authority = authority.substr(at + 1);
  }
  std::string_view rest;
  if (authority.starts_with("[")) {
    size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    std::string_view literal = authority.substr(1, close - 1);
    if (!isValidIPLiteral(literal)) return false;
    host_ = std::string(literal);
    rest = authority.substr(close + 1);
  } else {
    size_t colon = authority.find(':');
    std::string_view host = authority.substr(0, colon);
    if (!isValidComponent(host, "")) return false;
    host_ = std::string(host);
    rest = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
  }
  if (rest.empty()) return true;
  if (rest[0] != ':') return false;
  rest.remove_prefix(1);
  if (rest.empty()) return true;
  if (rest.size() > 5) return false;
  int port = 0;
  for (char c : rest) {
    if (!isDigit(c)) return false;
    port = port * 10 + (c - '0');
  }
  if (port > 65535) return false;
  port_ = port;
  return true;
}

std::optional<URL> URL::fromString(std::string_view reference, const URL& base) {
  std::optional<URL> relative = fromString(reference);
  if (!relative) return std::nullopt;
  if (base.scheme_.empty()) return relative;
  if (!relative->scheme_.empty()) {
    // An absolute reference keeps its text as written unless it has dot segments to remove.
    std::string path = removeDotSegments(relative->path_);
    if (path == relative->path_) return relative;
    return fromString(textFromParts(*relative, path));
  }

  URL target = *relative;
  target.scheme_ = base.scheme_;
  if (!relative->hasAuthority_) {
    target.hasAuthority_ = base.hasAuthority_;
    target.user_ = base.user_;
    target.password_ = base.password_;
    target.host_ = base.host_;
    target.port_ = base.port_;
    if (relative->path_.empty()) {
      target.path_ = base.path_;
      if (!relative->query_) target.query_ = base.query_;
    } else if (relative->path_[0] == '/') {
      target.path_ = removeDotSegments(relative->path_);
    } else {
      std::string merged;
      if (base.hasAuthority_ && base.path_.empty()) {
        merged = "/" + relative->path_;
      } else {
        size_t lastSlash = base.path_.rfind('/');
        merged = (lastSlash == std::string::npos ? "" : base.path_.substr(0, lastSlash + 1)) +
                 relative->path_;
      }
      target.path_ = removeDotSegments(merged);
    }
  } else {
    target.path_ = removeDotSegments(relative->path_);
  }

  return fromString(textFromParts(target, target.path_));
}

URL URL::fileURLWithPath(std::string_view path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string text = "file://";
  if (path.empty() || path[0] != '/') text += '/';
  for (char c : path) {
    if (isUnreserved(c) || c == '/' || c == ':' || c == '@' || isSubDelim(c)) {
      text += c;
    } else {
      unsigned char byte = static_cast<unsigned char>(c);
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    }
  }
  return *fromString(text);
}

std::string URL::path() const {
  return percentDecode(path_);
}

bool URL::isFileURL() const {
  return hasScheme("file");
}

bool URL::hasWebScheme() const {
  return hasScheme("http") || hasScheme("https");
}

bool URL::isWebURL() const {
  return hasWebScheme() && !host_.empty();
}

bool URL::schemeBeginsWithHTTP() const {
  return lowercased(scheme_).starts_with("http");
}

bool URL::isHTTPOrigin() const {
  if (!isWebURL() || !user_.empty() || !password_.empty() || query_ || fragment_) return false;
  return path_.empty() || path_ == "/";
}

bool URL::hasScheme(std::string_view scheme) const {
  return equalsIgnoringCase(scheme_, scheme);
}

}  // namespace base
