// Parses arbitrary text as URLs and resolves one against the other, as a redirect's "Location"
// is resolved against the URL that was asked for. Parsing and resolving must never fault, and
// what they give must agree with the parts it came from.
//
// Input: the reference, a line feed, then the base. Without a line feed the whole input is the
// reference and the base is a fixed absolute URL with every part.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "base/URL.h"

namespace {

using base::URL;

constexpr std::string_view kDefaultBase = "http://u:p@a.example:8080/b/c/d;p?q#f";

void require(bool condition, const char* what, std::string_view reference, std::string_view base) {
  if (condition) return;
  std::fprintf(stderr, "%s\nreference: %.*s\nbase: %.*s\n", what, int(reference.size()),
               reference.data(), int(base.size()), base.data());
  std::abort();
}

bool sameParts(const URL& a, const URL& b) {
  return a.scheme() == b.scheme() && a.hasAuthority() == b.hasAuthority() && a.user() == b.user() &&
         a.password() == b.password() && a.host() == b.host() && a.port() == b.port() &&
         a.percentEncodedPath() == b.percentEncodedPath() && a.query() == b.query() &&
         a.fragment() == b.fragment();
}

bool sameAuthority(const URL& a, const URL& b) {
  return a.hasAuthority() == b.hasAuthority() && a.user() == b.user() &&
         a.password() == b.password() && a.host() == b.host() && a.port() == b.port();
}

// Whether a path still holds a "." or ".." segment.
bool hasDotSegment(std::string_view path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view segment = path.substr(start, end - start);
    if (segment == "." || segment == "..") return true;
    start = end + 1;
  }
  return false;
}

// A parsed URL keeps its text, reads back to itself, and decodes its path without fault.
void checkParsed(const URL& url, std::string_view text, std::string_view other) {
  require(url.absoluteString() == text, "a URL does not keep its text", text, other);
  std::optional<URL> again = URL::fromString(url.absoluteString());
  require(again && *again == url && sameParts(*again, url), "a URL's text reads back differently",
          text, other);
  require(url.path() == base::percentDecode(url.percentEncodedPath()),
          "the path is not its decoded text", text, other);
  require(url.path().size() <= url.percentEncodedPath().size(), "decoding lengthened the path",
          text, other);
}

void checkResolved(const URL& resolved, const URL& reference, const URL& base,
                   std::string_view referenceText, std::string_view baseText) {
  auto fail = [&](const char* what) { require(false, what, referenceText, baseText); };
  checkParsed(resolved, resolved.absoluteString(), baseText);
  if (base.scheme().empty()) {
    if (!(resolved == reference)) fail("a reference against a relative base changed");
    return;
  }
  if (resolved.scheme().empty()) fail("resolving against an absolute base gave a relative URL");
  if (!reference.scheme().empty()) {
    if (resolved.scheme() != reference.scheme()) fail("an absolute reference lost its scheme");
    if (!sameAuthority(resolved, reference)) fail("an absolute reference lost its authority");
  } else if (reference.hasAuthority()) {
    if (resolved.scheme() != base.scheme()) fail("the base's scheme was not taken");
    if (!sameAuthority(resolved, reference)) fail("a network-path reference lost its authority");
  } else {
    if (resolved.scheme() != base.scheme()) fail("the base's scheme was not taken");
    if (!sameAuthority(resolved, base)) fail("the base's authority was not taken");
  }
  if (resolved.fragment() != reference.fragment()) fail("the fragment is not the reference's");
  bool keepsBaseQuery = reference.scheme().empty() && !reference.hasAuthority() &&
                        reference.percentEncodedPath().empty() && !reference.query();
  if (resolved.query() != (keepsBaseQuery ? base.query() : reference.query())) {
    fail("the query is neither the reference's nor, for an empty path, the base's");
  }
  // The base's path is taken as it is; any other is freed of dot segments, but for the "/." that
  // keeps a path starting with "//" from reading as an authority.
  std::string_view path = resolved.percentEncodedPath();
  if (!resolved.hasAuthority() && path.starts_with("/.//")) path.remove_prefix(2);
  bool pathIsBase = reference.scheme().empty() && !reference.hasAuthority() &&
                    reference.percentEncodedPath().empty();
  if (!pathIsBase && hasDotSegment(path)) fail("a dot segment survived resolution");

  // A resolved URL is absolute, so resolving it again, against anything, gives itself; but for a
  // base's path taken as it is, whose dot segments go when it is resolved as a reference.
  if (pathIsBase && hasDotSegment(path)) return;
  std::optional<URL> again = URL::fromString(resolved.absoluteString(), base);
  if (!again || !(*again == resolved)) fail("resolving a resolved URL changed it");
  again = URL::fromString(resolved.absoluteString(), reference);
  if (!again || !(*again == resolved)) fail("resolving a resolved URL elsewhere changed it");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string_view referenceText = input.substr(0, newline);
  std::string_view baseText =
      newline == std::string_view::npos ? kDefaultBase : input.substr(newline + 1);

  std::string decoded = base::percentDecode(input);
  require(decoded.size() <= input.size(), "decoding lengthened the text", input, "");
  if (input.find('%') == std::string_view::npos) {
    require(decoded == input, "text without escapes changed in decoding", input, "");
  }

  std::optional<URL> reference = URL::fromString(referenceText);
  std::optional<URL> base = URL::fromString(baseText);
  if (reference) checkParsed(*reference, referenceText, baseText);
  if (base) checkParsed(*base, baseText, referenceText);
  if (!base) return 0;

  std::optional<URL> resolved = URL::fromString(referenceText, *base);
  require(resolved.has_value() == reference.has_value(),
          "resolving disagrees with parsing about whether the reference is a URL", referenceText,
          baseText);
  if (resolved) checkResolved(*resolved, *reference, *base, referenceText, baseText);
  return 0;
}
