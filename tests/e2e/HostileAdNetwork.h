#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tests/support/LoopbackHTTPServer.h"

namespace hostile {

// An ad network that means harm, for tests only: on a loopback port it serves the page script the
// library asks for and, as every ad, the page a test gives it, so that the library shows that page
// in its banner as it would a stranger's. The addresses an attack leads to (a redirect, a file to
// download) are the test's to route.
//
// The page script answers the build page at once with a "loadAdURL" message naming the ad page on
// this network, a new address for each ad so that no copy of an earlier one is taken for it.
class HostileAdNetwork {
 public:
  using Response = test_support::LoopbackHTTPServer::Response;
  using Fields = Response::Fields;

  static constexpr std::string_view kScriptPath = "/avmo/sdk-core-v40.js";
  static constexpr std::string_view kAdPath = "/ad";

  HostileAdNetwork();

  // "http://127.0.0.1:<port>"; what the library is pointed at.
  std::string origin() const { return server_.url(""); }
  std::string url(std::string_view target) const { return server_.url(target); }

  // Every ad from now on is html, sent with these header fields (beside its type).
  void serveAd(std::string html, Fields headers = {});
  // The page script from now on begins with topLevel, code of its own run as it is read.
  void serveScriptBeginningWith(const std::string& topLevel);
  // How many requests for path (their target without the query) came so far.
  size_t requestsFor(std::string_view path) const;
  // Requests for path are answered with response.
  void route(std::string path, Response response) { server_.route(path, std::move(response)); }
  // The page script from now on runs first (a statement, with the request parameters in params)
  // before it answers.
  void scriptRunsFirst(const std::string& first);

 private:
  // The page script that answers like the network's own: the ad page's address.
  // topLevel is run as the script is read, first when it is asked for the address.
  void serveScript(const std::string& topLevel, const std::string& first);

  test_support::LoopbackHTTPServer server_;
};

}  // namespace hostile
