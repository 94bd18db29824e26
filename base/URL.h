#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// A URI reference parsed per RFC 3986: scheme, authority (user information, host, port), path,
// query and fragment. Creation fails — no URL — for text that breaks the grammar: characters
// outside the URI character set (a space, a non-ASCII byte), a '%' without two hexadecimal
// digits, a malformed scheme, host or port. A URL is immutable; its text is kept as given.
class URL {
 public:
  static std::optional<URL> fromString(std::string_view text);
  // The reference resolved against base (RFC 3986 section 5.2), as a browser follows a link.
  static std::optional<URL> fromString(std::string_view reference, const URL& base);
  // "file://" followed by the absolute path with its reserved characters percent-escaped.
  static URL fileURLWithPath(std::string_view path);

  const std::string& absoluteString() const { return text_; }
  // Empty for a relative reference.
  const std::string& scheme() const { return scheme_; }
  bool hasAuthority() const { return hasAuthority_; }
  // The host without brackets around an IP literal; empty when there is no authority.
  const std::string& host() const { return host_; }
  std::optional<int> port() const { return port_; }
  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  // The path with its percent escapes decoded, as file operations want it.
  std::string path() const;
  // The path exactly as written.
  const std::string& percentEncodedPath() const { return path_; }
  // Text after '?' up to '#', as written; none when the text has no '?'.
  const std::optional<std::string>& query() const { return query_; }
  const std::optional<std::string>& fragment() const { return fragment_; }
  // Whether the scheme is the given one, ignoring ASCII case ("HTTP" is "http").
  bool hasScheme(std::string_view scheme) const;
  bool isFileURL() const;
  // Whether the scheme is "http" or "https", in any case.
  bool hasWebScheme() const;
  // Whether the address is an http or https address with a host: the one kind of address that is
  // fetched, loaded in a web view, or given to the desktop's browser. "http:/etc/passwd" has a
  // web scheme but no host, and a handler may well take it for a local path.
  bool isWebURL() const;
  // Whether the scheme, lower-cased, begins with "http": the looser test with which a banner's
  // click and a click tracking's redirect choose the web's road ("http", "https", and any scheme of
  // that stem). What they then open or fetch still passes the gate or the connection's check.
  bool schemeBeginsWithHTTP() const;
  // Whether the address names an http or https origin and nothing more: a host and perhaps a
  // port, with no user, password, query or fragment, and no path but "/".
  bool isHTTPOrigin() const;

  friend bool operator==(const URL& a, const URL& b) { return a.text_ == b.text_; }

 private:
  URL() = default;
  bool parse(std::string_view text);
  bool parseAuthority(std::string_view authority);

  std::string text_;
  std::string scheme_;
  bool hasAuthority_ = false;
  std::string user_;
  std::string password_;
  std::string host_;
  std::optional<int> port_;
  std::string path_;
  std::optional<std::string> query_;
  std::optional<std::string> fragment_;
};

// Decodes %HH escapes; a '%' not followed by two hexadecimal digits is kept as it stands.
std::string percentDecode(std::string_view text);

}  // namespace base
