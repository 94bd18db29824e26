// Fetching a small file that has not changed (a 304 answer), 1,000 times in a row from a server on
// 127.0.0.1: through TADCachedFile over the platform's libsoup connections, and with libsoup used
// directly. Both sides keep one connection alive for the whole run; the "connections" counter
// shows how many the server accepted. The server runs on the same thread and loop as the client.

#include <benchmark/benchmark.h>
#include <libsoup/soup.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ads/Network/TADCachedFile.h"
#include "bench/NetworkPlatform.h"
#include "platform/glib/GlibRunLoop.h"
#include "tests/support/LoopbackHTTPServer.h"

namespace {

using test_support::LoopbackHTTPServer;

constexpr int kFetches = 1000;
constexpr const char* kLastModified = "Sun, 06 Nov 1994 08:49:37 GMT";

void serveUnchanged(LoopbackHTTPServer& server) {
  server.route("/script.js", [](const LoopbackHTTPServer::Request& request) {
    if (request.header("If-Modified-Since")) return LoopbackHTTPServer::Response::withStatus(304);
    return LoopbackHTTPServer::Response::ok("function build() {}",
                                            {{"Last-Modified", kLastModified}});
  });
}

class CountingDelegate : public TADCachedFileDelegate {
 public:
  int ended = 0;
  int failed = 0;
  void cachedFileDownloadDidFail(TADCachedFile&, const std::optional<base::Error>&) override {
    ++failed;
  }
  void cachedFileDownloadDidEnd(TADCachedFile&) override { ++ended; }
  base::Expected<void> cachedFileShouldRedirectToURL(TADCachedFile&, const base::URL&) override {
    return {};
  }
};

void BM_CachedFileNotModified(benchmark::State& state) {
  LoopbackHTTPServer server;
  serveUnchanged(server);
  NetworkPlatform network;
  platform::glib::GlibRunLoop& loop = network.runLoop();

  auto delegate = std::make_shared<CountingDelegate>();
  auto file =
      TADCachedFile::initWithDelegate(delegate, *base::URL::fromString(server.url("/script.js")));
  auto fetch = [&] {
    int before = delegate->ended + delegate->failed;
    file->validate();
    loop.runUntil([&] { return delegate->ended + delegate->failed > before; }, 10);
  };
  fetch();  // the first fetch stores the copy; every later one is answered 304

  for (auto _ : state)
    fetch();

  if (delegate->failed != 0 || file->httpStatusCode() != 304) state.SkipWithError("a fetch failed");
  state.counters["connections"] = static_cast<double>(server.acceptedConnectionCount());
  file.reset();
}

void BM_LibsoupNotModified(benchmark::State& state) {
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  {
    // The server answers on the context that is the thread's default when it is made: this one.
    LoopbackHTTPServer server;
    serveUnchanged(server);
    SoupSession* session = soup_session_new();
    std::string url = server.url("/script.js");

    struct Outcome {
      bool done = false;
      guint status = 0;
    } outcome;
    auto fetch = [&] {
      outcome = {};
      SoupMessage* message = soup_message_new("GET", url.c_str());
      soup_message_headers_replace(soup_message_get_request_headers(message), "If-Modified-Since",
                                   kLastModified);
      soup_session_send_and_read_async(
          session, message, G_PRIORITY_DEFAULT, nullptr,
          [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* outcome = static_cast<Outcome*>(data);
            GBytes* body = soup_session_send_and_read_finish(SOUP_SESSION(source), result, nullptr);
            if (body) g_bytes_unref(body);
            outcome->status = soup_message_get_status(
                soup_session_get_async_result_message(SOUP_SESSION(source), result));
            outcome->done = true;
          },
          &outcome);
      while (!outcome.done)
        g_main_context_iteration(context, TRUE);
      g_object_unref(message);
    };

    for (auto _ : state)
      fetch();

    if (outcome.status != 304) state.SkipWithError("a fetch failed");
    state.counters["connections"] = static_cast<double>(server.acceptedConnectionCount());
    g_object_unref(session);
  }
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
}

}  // namespace

BENCHMARK(BM_CachedFileNotModified)
    ->Iterations(kFetches)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_LibsoupNotModified)
    ->Iterations(kFetches)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK_MAIN();
