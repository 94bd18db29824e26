#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class URLConnection;
class URLLoadingBackend;
}  // namespace platform

// Says once, in one line, when the ad network the program points the ad library at cannot serve
// it: nothing answers at its origin, the connection fails (an unknown host, https to a server that
// speaks http), the page script is answered with an error status or an empty body, or no answer
// comes within kTimeout. The library itself says nothing then and tries again on its back-off
// (30 seconds, doubling up to 5 minutes), so the banner comes once the network does; a user who
// gave a wrong --ad-network learns why it is empty meanwhile. Nothing is said when the page script
// comes.
//
// It asks once for the page script at the address the library fetches it from, on the main run
// loop; the library's own loads are not touched. Destroying the check stops it.
class quillbeckAdNetworkCheck {
 public:
  using Say = std::function<void(const std::string& line)>;

  static constexpr double kTimeout = 15;
  // Where, under the origin, the ad library fetches its page script.
  static constexpr std::string_view kScriptPath = "/avmo/sdk-core-v40.js";

  // The origin text names ("http://host[:port]" or "https://…") without a trailing slash; nothing
  // when it is no http or https address with a host, or carries more than an origin does (a path
  // other than "/", a query, a fragment, user information), since the library builds its
  // addresses by appending paths to it.
  static std::optional<std::string> origin(std::string_view text);

  // say gets the line; by default it goes to the platform's console.
  explicit quillbeckAdNetworkCheck(std::string origin, Say say = {});
  ~quillbeckAdNetworkCheck();
  quillbeckAdNetworkCheck(const quillbeckAdNetworkCheck&) = delete;
  quillbeckAdNetworkCheck& operator=(const quillbeckAdNetworkCheck&) = delete;

  // Sends the request through loading (by default the installed platform's); does nothing for an
  // empty origin.
  void start(platform::URLLoadingBackend* loading = nullptr);
  // Whether the answer, or the failure, has come.
  bool finished() const;

 private:
  class Probe;

  std::shared_ptr<Probe> probe_;
  std::shared_ptr<platform::URLConnection> connection_;
};
