// tad-reference-network: runs the reference ad network on 127.0.0.1 until interrupted.

#include <glib-unix.h>
#include <glib.h>

#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "base/NumberText.h"

namespace {

using adnetwork::AdNetwork;

constexpr const char kHelp[] = R"(Usage: tad-reference-network [OPTION]...
Runs the reference ad network on 127.0.0.1: the page script, rotating 320x50 ads, impression
and click tracking, landing pages. Prints its origin ("http://127.0.0.1:<port>") on start and
serves until interrupted (SIGINT or SIGTERM); then it exits with status 0.

Options:
  --port N            listen on port N (default 0: a free port of the system's choosing)
  --log FILE          append every request to FILE, one JSON object a line: time, method,
                      path, query (decoded), headers, status answered, fault applied, and
                      why an ad page was not personalised (nonPersonalised: child-directed,
                      no-consent or consent-refused, from the request's privacy signals)
  --refresh SECONDS   the refresh period each ad page names in X-Avmo-Refresh-Rate
                      (default 30; 0 sends no such header). The library reloads no sooner
                      than every 10 seconds whatever an ad names, and after a failed load
                      (a fault) it backs off from 30 seconds to 5 minutes
  --creative NAME     serve only this creative instead of rotating (landing, tracked,
                      webapp, call, mail, probe, touch); an ad that may not be personalised
                      is the creative "general" unless that is the one named
  --refuse-slot NAME  answer "unableToServe" for this slot name (repeatable)
  --fault FAULT       misbehave on every request of the fault's route (repeatable, one per
                      route; when a route is given twice, the first fault holds)
  -h, --help          show this text and exit
  --version           show the program's version and exit

Exit status: 0 after an interruption, 1 when it cannot listen, 2 on a usage error.

FAULT is <route>:<fault>[:<number>].
Routes:
  script     the page script, /avmo/sdk-core-v40.js
  ad         ad pages, /ad
  tracking   impression and click tracking, /track/...
  landing    landing pages and the click redirector, /landing/..., /aclk
Faults:
  <code>, status:<code>   answer with this HTTP status (100 to 599), e.g. ad:503
  delay:<seconds>         answer normally, that many seconds late, e.g. ad:delay:2
  stall                   accept the request and never answer it
  empty                   200 with a page of blanks only
  garbage                 200 with bytes that are neither HTML nor text
  oversized               200 with a body over the library's fetch limit (8 MiB)
  redirect-chain[:<n>]    n redirects (default 3), each naming tracking addresses, then
                          the real answer
  redirect-loop           redirects that never end
  close                   the head and half the body, then the connection closes
  silent                  (script only) a page script whose build function never answers
  throws                  (script only) a page script whose build function throws
)";

struct Arguments {
  AdNetwork::Options options;
  std::vector<std::pair<AdNetwork::Route, AdNetwork::FaultPlan>> faults;
  std::string creative;
  std::vector<std::string> refusedSlots;
  bool help = false;
  bool version = false;
};

// None after saying what is wrong.
std::optional<Arguments> parse(int argc, char** argv) {
  Arguments arguments;
  // Everything goes to the log file; memory holds the latest requests only.
  arguments.options.keptRequests = 1000;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      arguments.help = true;
      continue;
    }
    if (option == "--version") {
      arguments.version = true;
      continue;
    }
    static const std::set<std::string> kValued = {"--port",     "--log",         "--refresh",
                                                  "--creative", "--refuse-slot", "--fault"};
    if (!kValued.contains(option)) {
      std::cerr << "tad-reference-network: unknown option " << option << " (see --help)\n";
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      std::cerr << "tad-reference-network: " << option << " needs a value (see --help)\n";
      return std::nullopt;
    }
    std::string value = argv[++i];
    if (option == "--port") {
      auto port = base::decimalFromText(value);
      if (!port || *port < 0 || *port > 65535 || *port != static_cast<int>(*port)) {
        std::cerr << "tad-reference-network: --port wants a number from 0 to 65535, not \"" << value
                  << "\"\n";
        return std::nullopt;
      }
      arguments.options.port = static_cast<uint16_t>(*port);
    } else if (option == "--log") {
      arguments.options.logPath = value;
    } else if (option == "--refresh") {
      auto seconds = base::decimalFromText(value);
      if (!seconds || *seconds < 0) {
        std::cerr << "tad-reference-network: --refresh wants seconds, 0 or more, not \"" << value
                  << "\"\n";
        return std::nullopt;
      }
      arguments.options.refreshSeconds = *seconds;
    } else if (option == "--fault") {
      auto fault = AdNetwork::parseFault(value);
      if (!fault) {
        std::cerr << "tad-reference-network: --fault " << fault.error().localizedDescription()
                  << "\n";
        return std::nullopt;
      }
      arguments.faults.push_back(*fault);
    } else if (option == "--creative") {
      arguments.creative = value;
    } else {  // --refuse-slot
      arguments.refusedSlots.push_back(value);
    }
  }
  return arguments;
}

gboolean quit(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  auto arguments = parse(argc, argv);
  if (!arguments) return 2;
  if (arguments->help) {
    std::cout << kHelp;
    return 0;
  }
  if (arguments->version) {
    std::cout << "tad-reference-network " << TAD_VERSION << "\n";
    return 0;
  }
  auto started = AdNetwork::start(arguments->options);
  if (!started) {
    std::cerr << "tad-reference-network: " << started.error().localizedDescription() << "\n";
    return 1;
  }
  std::unique_ptr<AdNetwork> network = std::move(*started);
  if (!network->pinCreative(arguments->creative)) {
    std::cerr << "tad-reference-network: no creative named \"" << arguments->creative << "\"\n";
    return 2;
  }
  for (const std::string& slot : arguments->refusedSlots)
    network->refuseSlot(slot);
  for (const auto& [route, plan] : arguments->faults)
    network->injectFault(route, plan, -1);

  std::unique_ptr<GMainLoop, decltype(&g_main_loop_unref)> loop(g_main_loop_new(nullptr, FALSE),
                                                                &g_main_loop_unref);
  guint interrupt = g_unix_signal_add(SIGINT, quit, loop.get());
  guint terminate = g_unix_signal_add(SIGTERM, quit, loop.get());
  std::cout << network->origin() << std::endl;
  g_main_loop_run(loop.get());
  g_source_remove(interrupt);
  g_source_remove(terminate);
  return 0;
}
