#pragma once

#include <libsoup/soup.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"

namespace adnetwork::testing {

// A plain libsoup client for looking at what the network puts on the wire: no redirects followed,
// no proxy, enough connections for requests left hanging, every call on the thread-default main
// context, which it iterates while it waits.
class HttpClient {
 public:
  struct Reply {
    bool done = false;
    bool failed = false;  // the transfer broke off (closed, cut short)
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::optional<std::string> header(std::string_view name) const;
  };
  using Headers = std::vector<std::pair<std::string, std::string>>;

  HttpClient();

  // Starts a GET; the reply fills in as the loop runs.
  std::shared_ptr<Reply> start(const std::string& url, const Headers& headers = {});
  // A GET, waited for (at most ten seconds).
  Reply get(const std::string& url, const Headers& headers = {});

  // Iterates the main context until done holds; false after ten seconds without.
  template <typename Done>
  static bool iterateUntil(Done done) {
    const gint64 deadline = g_get_monotonic_time() + 10 * G_USEC_PER_SEC;
    while (!done()) {
      if (g_get_monotonic_time() > deadline) return false;
      if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(200);
    }
    return true;
  }

 private:
  glibsupport::GObjectPtr<SoupSession> session_;
};

}  // namespace adnetwork::testing
