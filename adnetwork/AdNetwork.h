#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/Expected.h"

namespace adnetwork {

// The reference ad network: one HTTP server on 127.0.0.1 that plays every part of an ad network
// the library talks to. It serves the page script, ad pages (a rotating set of 320×50 creatives
// with the ad response headers), impression and click tracking, and small landing pages; it logs
// every request it receives, and it can be told to misbehave in the ways real networks do.
//
// It runs on libsoup's server, attached to the thread-default GLib main context of the thread that
// starts it, so it answers while that thread's loop runs (the program's loop, a test's loop). It
// never blocks the loop: delays and stalls are timers. Stopping (destruction) closes every
// connection, answered or not.
//
// Paths it serves (all under origin()):
//   /avmo/sdk-core-v40.js      the page script; "Last-Modified", and 304 to a conditional fetch
//   /ad?...                    an ad page, chosen by rotation, for the parameters the script got;
//                              one for every user where the privacy signals among them say the
//                              ad may not be personalised (see Personalisation.h)
//   /creative/<name>/<file>    a creative's CSS and picture
//   /track/impression?ad=N     impression tracking
//   /track/click?ad=N          click tracking
//   /landing/<name>/<page>     landing pages 1 and 2 of a site, each linking to the other
//   /aclk?ai=…&adurl=<address> the creatives' click address: redirects to adurl (host-relative
//                              or a web address), whatever the library appends to the query
// Impression and click tracking addresses name the ad ("ad=N&creative=<name>"); a redirect chain
// fault names its links ("hop=K").
//
// It is reachable by every program on the machine and by every page a web view shows, so it
// answers only what its own clients send, and keeps bounded whatever a client could make it
// keep:
// - only requests addressed to its own origin: a "Host" other than "127.0.0.1:<port>" or
//   "localhost:<port>" (a page on another name that resolves to 127.0.0.1) gets 421, runs no
//   route and is neither logged nor counted; a request naming more than one "Host" gets 400 in
//   the same way;
// - no request bodies: a request announcing one ("Content-Length" above 0, or chunked) gets 413
//   at once, its body never read, and its connection closed;
// - one request a connection, Options::maximumConnections at once, Options::idleSeconds to send
//   it (see ConnectionGuard);
// - counts for a bounded number of paths (see PathCounts);
// - every number a request carries is read with its range: a fault marker out of range (a
//   redirect loop's "avmo_loop" outside 1 to 1000000, a chain's "avmo_hop" outside 1 to its
//   "avmo_hops", "avmo_hops" outside 1 to 100) gets 400;
// - a click address ("adurl") holding control characters gets 400, not a redirect.
class AdNetwork {
 public:
  // What may go wrong with a reply, on purpose.
  enum class Fault {
    Status,          // answer `status` (400, 404, 500, 503, …) with a short body
    Delay,           // answer normally, `seconds` late
    Stall,           // accept the request and never answer it
    EmptyPage,       // 200 with an empty body (or blanks only)
    Garbage,         // 200 with bytes that are not HTML or text
    Oversized,       // a body over the library's fetch limit
    RedirectChain,   // `count` redirects, each carrying tracking headers, then the real answer
    RedirectLoop,    // redirects that never end
    CloseMidAnswer,  // the head and part of the body, then the connection closes
    ScriptSilent,    // a page script whose build function never answers
    ScriptThrows,    // a page script whose build function throws
  };

  // Which requests a fault applies to: the page script; ad pages; impression and click
  // tracking (/track/…); landing pages and the creatives' click redirector (/landing/…, /aclk).
  enum class Route { Script, Ad, Tracking, Landing };

  // The size of an Oversized body: above the 8 MiB that the library's fetcher accepts.
  static constexpr size_t kOversizedBodyBytes = 9 * 1024 * 1024;

  struct FaultPlan {
    Fault fault = Fault::Status;
    int status = 500;
    double seconds = 0;
    int count = 3;
  };

  struct Options {
    // 0: a port of the system's choosing.
    uint16_t port = 0;
    // When set, every request is also appended to this file, one JSON object a line.
    std::string logPath;
    // The refresh period each ad page names ("X-Avmo-Refresh-Rate"); 0 names none.
    double refreshSeconds = 30;
    // How many of the latest requests requests() keeps (0: every one). A network that runs for
    // long, as in the program, keeps a bounded number; counts are kept whole either way.
    size_t keptRequests = 0;
    // At most this many connections are open at once; a new one beyond them closes the one that
    // has waited longest without sending a request (or itself, when every other one is busy).
    size_t maximumConnections = 64;
    // A connection that has not sent a whole request head this long after it opened is closed
    // (0.05 to 86400).
    double idleSeconds = 15;
  };

  // One request as received, in the order of arrival.
  struct LoggedRequest {
    double time = 0;  // seconds since the network started
    std::string method;
    std::string path;
    // The query, each key once (the last value wins) with percent escapes resolved.
    std::map<std::string, std::string> query;
    std::map<std::string, std::string> headers;  // names in lower case
    int status = 0;                              // what it answered; 0 for no answer
    std::string fault;                           // the fault applied, empty for none
    // Why an ad page asked for may not be personalised ("child-directed", "no-consent",
    // "consent-refused"; see Personalisation.h); empty when it may be, and for other paths.
    std::string nonPersonalised;
  };

  // Listens on 127.0.0.1 and answers from now on; the error when it cannot.
  static base::Expected<std::unique_ptr<AdNetwork>> start(const Options& options);
  ~AdNetwork();
  AdNetwork(const AdNetwork&) = delete;
  AdNetwork& operator=(const AdNetwork&) = delete;

  uint16_t port() const;
  // "http://127.0.0.1:<port>", what the library's ad-network configuration is pointed at.
  std::string origin() const;

  // The names of the creatives chosen for the user, in rotation order. (The one served where ads
  // may not be personalised is "general".)
  std::vector<std::string> creatives() const;
  // Serve only this creative from now on (empty: back to rotation). False for an unknown name.
  // Rotation goes through the creatives in order, one per ad page served.
  bool pinCreative(const std::string& name);
  // The slot names the network has nothing for ("unableToServe"). They are written into the page
  // script as it is served, whose "Last-Modified" moves with them: a library that keeps a copy of
  // the script hears of a slot refused later when it next checks its copy (within a day).
  void refuseSlot(const std::string& slotname);
  void setRefreshSeconds(double seconds);

  // The next `times` requests on the route get the fault (times < 0: every request, until
  // clearFaults).
  void injectFault(Route route, FaultPlan plan, int times = 1);
  void clearFaults();
  // Parses a fault as people write it on the command line: "<route>:<fault>[:<number>]", e.g.
  // "ad:503", "ad:delay:2", "script:silent", "ad:redirect-chain:3", "tracking:stall".
  static base::Expected<std::pair<Route, FaultPlan>> parseFault(const std::string& text);

  // The requests kept in memory (Options::keptRequests), oldest first.
  std::vector<LoggedRequest> requests() const;
  // How many requests had exactly this path; "*" for the requests of paths not counted on their
  // own (see PathCounts).
  size_t count(const std::string& path) const;

 private:
  class Server;
  explicit AdNetwork(std::unique_ptr<Server> server);
  std::unique_ptr<Server> server_;
};

}  // namespace adnetwork
