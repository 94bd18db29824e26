#include "adnetwork/AdNetworkServer.h"

#include <cctype>
#include <charconv>
#include <ctime>
#include <sstream>
#include <vector>

#include "adnetwork/Personalisation.h"
#include "base/ASCII.h"
#include "base/URL.h"

namespace adnetwork {

namespace {

using glibsupport::GErrorPtr;
using scriptedhttp::ScriptedReply;

constexpr const char kErrorDomain[] = "adnetwork";
const char kHopKey[] = "avmo_hop";
const char kHopsKey[] = "avmo_hops";
const char kLoopKey[] = "avmo_loop";
// A loop's marker counts from 1 to this and starts again, so the loop never ends.
constexpr int kMaximumLoopMarker = 1000000;

// Each key once, the last value winning; a key without "=" has the empty value.
std::map<std::string, std::string> decodeQuery(const std::string& raw) {
  std::map<std::string, std::string> query;
  std::stringstream stream(raw);
  std::string pair;
  while (std::getline(stream, pair, '&')) {
    if (pair.empty()) continue;
    size_t equals = pair.find('=');
    std::string key = base::percentDecode(pair.substr(0, equals));
    std::string value =
        equals == std::string::npos ? "" : base::percentDecode(pair.substr(equals + 1));
    query[key] = value;
  }
  return query;
}

// The raw query without the pairs whose key is one of the fault markers.
std::string withoutMarkers(const std::string& raw) {
  std::stringstream stream(raw);
  std::string pair;
  std::string kept;
  while (std::getline(stream, pair, '&')) {
    std::string key = pair.substr(0, pair.find('='));
    if (pair.empty() || key == kHopKey || key == kHopsKey || key == kLoopKey) continue;
    kept += (kept.empty() ? "" : "&") + pair;
  }
  return kept;
}

std::map<std::string, std::string> headersOf(SoupServerMessage* message) {
  std::map<std::string, std::string> headers;
  SoupMessageHeadersIter iter;
  soup_message_headers_iter_init(&iter, soup_server_message_get_request_headers(message));
  const char* name = nullptr;
  const char* value = nullptr;
  while (soup_message_headers_iter_next(&iter, &name, &value)) {
    headers[base::lowercased(name)] = value;
  }
  return headers;
}

// Decimal digits only (no sign, blank or exponent) making a number from minimum to maximum.
std::optional<int> boundedNumber(std::string_view text, int minimum, int maximum) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.front() == '-')
    return std::nullopt;
  if (value < minimum || value > maximum) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<int> numberIn(const std::map<std::string, std::string>& query, const std::string& key,
                            int minimum, int maximum) {
  auto found = query.find(key);
  if (found == query.end()) return std::nullopt;
  return boundedNumber(found->second, minimum, maximum);
}

bool isOwnName(std::string_view name) {
  return g_ascii_strcasecmp(std::string(name).c_str(), "127.0.0.1") == 0 ||
         g_ascii_strcasecmp(std::string(name).c_str(), "localhost") == 0;
}

// "127.0.0.1:<port>" or "localhost:<port>"; the port may go unsaid when it is 80.
bool namesThisServer(std::string_view host, uint16_t port) {
  const size_t colon = host.rfind(':');
  if (colon == std::string_view::npos) return port == 80 && isOwnName(host);
  return isOwnName(host.substr(0, colon)) &&
         boundedNumber(host.substr(colon + 1), 0, 65535) == port;
}

// The address libsoup made of the request line and "Host" (an absolute request line names a
// host of its own).
bool addressesThisServer(SoupServerMessage* message, uint16_t port) {
  const char* host =
      soup_message_headers_get_one(soup_server_message_get_request_headers(message), "Host");
  GUri* uri = soup_server_message_get_uri(message);
  if (!host || !uri || !g_uri_get_host(uri) || !namesThisServer(host, port)) return false;
  const int uriPort = g_uri_get_port(uri);
  return isOwnName(g_uri_get_host(uri)) && (uriPort == port || (uriPort == -1 && port == 80));
}

// Which of several a server reads is anyone's guess, and a proxy on the way may read another.
int hostFields(SoupServerMessage* message) {
  SoupMessageHeadersIter iter;
  soup_message_headers_iter_init(&iter, soup_server_message_get_request_headers(message));
  const char* name = nullptr;
  const char* value = nullptr;
  int count = 0;
  while (soup_message_headers_iter_next(&iter, &name, &value)) {
    count += g_ascii_strcasecmp(name, "Host") == 0;
  }
  return count;
}

bool announcesBody(SoupServerMessage* message) {
  SoupMessageHeaders* headers = soup_server_message_get_request_headers(message);
  switch (soup_message_headers_get_encoding(headers)) {
    case SOUP_ENCODING_NONE:
      return false;
    case SOUP_ENCODING_CONTENT_LENGTH:
      return soup_message_headers_get_content_length(headers) > 0;
    default:
      return true;
  }
}

// Said at once, after which the connection closes.
ScriptedReply refusedWith(int status, const std::string& why) {
  ScriptedReply reply = ScriptedReply::cutShort(why, why.size(), true);
  reply.status = status;
  reply.headers = {{"Content-Type", "text/plain; charset=utf-8"}};
  return reply;
}

ScriptedReply badMarker(const char* key) {
  return ScriptedReply::withStatus(400, {{"Content-Type", "text/plain; charset=utf-8"}},
                                   std::string(key) + " out of range\n");
}

std::string garbage() {
  std::string bytes;
  for (int i = 0; i < 4096; ++i)
    bytes.push_back(static_cast<char>((i * 151 + 7) % 256));
  return bytes;
}

std::string oversizedPage() {
  std::string page = "<html><body>";
  page.append(AdNetwork::kOversizedBodyBytes, 'x');
  return page + "</body></html>";
}

}  // namespace

AdNetwork::Server::Server(GMainContext* context)
    : context_(g_main_context_ref(context)), startMicroseconds_(g_get_monotonic_time()) {}

base::Expected<std::unique_ptr<AdNetwork::Server>> AdNetwork::Server::start(
    const Options& options) {
  base::Expected<CreativeCatalogue> catalogue = CreativeCatalogue::load();
  if (!catalogue) return catalogue.error();
  GMainContext* context = g_main_context_get_thread_default();
  std::unique_ptr<Server> server(new Server(context ? context : g_main_context_default()));
  if (base::Expected<void> opened = server->log_.open(options.logPath); !opened) {
    return opened.error();
  }
  server->log_.keepOnly(options.keptRequests);

  server->server_ = glibsupport::adopt(static_cast<SoupServer*>(
      g_object_new(SOUP_TYPE_SERVER, "server-header", "adnetwork", nullptr)));
  soup_server_add_early_handler(server->server_.get(), nullptr, &Server::screenRequest,
                                server.get(), nullptr);
  soup_server_add_handler(server->server_.get(), nullptr, &Server::handleRequest, server.get(),
                          nullptr);
  server->guard_ =
      std::make_unique<ConnectionGuard>(server->server_.get(), server->context_.get(),
                                        options.maximumConnections, options.idleSeconds);
  GErrorPtr listenError;
  if (!soup_server_listen_local(server->server_.get(), options.port, SOUP_SERVER_LISTEN_IPV4_ONLY,
                                listenError.out())) {
    return base::Error::withDescription(
        kErrorDomain, 1,
        "cannot listen on 127.0.0.1:" + std::to_string(options.port) + ": " + listenError->message);
  }
  GSList* uris = soup_server_get_uris(server->server_.get());
  if (uris) server->port_ = static_cast<uint16_t>(g_uri_get_port(static_cast<GUri*>(uris->data)));
  g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));

  std::string origin = "http://127.0.0.1:" + std::to_string(server->port_);
  server->routes_ = std::make_unique<Routes>(std::move(*catalogue), origin, options.refreshSeconds,
                                             std::time(nullptr));
  server->sender_ = std::make_unique<ReplySender>(server->context_.get());
  return server;
}

AdNetwork::Server::~Server() {
  guard_.reset();
  sender_.reset();
  if (server_) {
    soup_server_remove_handler(server_.get(), nullptr);
    soup_server_disconnect(server_.get());
  }
}

void AdNetwork::Server::screenRequest(SoupServer*, SoupServerMessage* message, const char*,
                                      GHashTable*, gpointer self) {
  auto* server = static_cast<Server*>(self);
  if (auto refused = server->refusal(message)) server->sender_->send(message, std::move(*refused));
}

std::optional<ScriptedReply> AdNetwork::Server::refusal(SoupServerMessage* message) const {
  if (hostFields(message) > 1) return refusedWith(400, "a request names one host\n");
  if (!addressesThisServer(message, port_)) {
    return refusedWith(421, "this network answers only at " + routes_->origin() + "\n");
  }
  if (announcesBody(message)) return refusedWith(413, "this network takes no request bodies\n");
  return std::nullopt;
}

void AdNetwork::Server::handleRequest(SoupServer*, SoupServerMessage* message, const char*,
                                      GHashTable*, gpointer self) {
  static_cast<Server*>(self)->handle(message);
}

void AdNetwork::Server::handle(SoupServerMessage* message) {
  GUri* uri = soup_server_message_get_uri(message);
  const char* rawQuery = g_uri_get_query(uri);
  LoggedRequest entry;
  entry.time = static_cast<double>(g_get_monotonic_time() - startMicroseconds_) / 1e6;
  entry.method = soup_server_message_get_method(message);
  entry.path = g_uri_get_path(uri);
  entry.query = decodeQuery(rawQuery ? rawQuery : "");
  entry.headers = headersOf(message);
  if (entry.path == Routes::kAdPath)
    entry.nonPersonalised = whyNotPersonalised(entry.query).value_or("");

  Routes::Request request{entry.method, entry.path, entry.query, std::nullopt};
  if (auto since = entry.headers.find("if-modified-since"); since != entry.headers.end()) {
    request.ifModifiedSince = since->second;
  }
  ScriptedReply reply = decide(entry, request, rawQuery ? rawQuery : "");
  const bool answered = !reply.failure && reply.sending != ScriptedReply::Sending::Nothing;
  entry.status = answered ? reply.status : 0;
  log_.add(std::move(entry));
  sender_->send(message, std::move(reply));
}

ScriptedReply AdNetwork::Server::decide(LoggedRequest& entry, const Routes::Request& request,
                                        const std::string& rawQuery) {
  if (request.query.count(kHopKey)) {
    auto hops = numberIn(request.query, kHopsKey, 1, FaultTable::kMaximumRedirectCount);
    if (!hops) return badMarker(kHopsKey);
    auto hop = numberIn(request.query, kHopKey, 1, *hops);
    if (!hop) return badMarker(kHopKey);
    entry.fault = "redirect-chain:" + std::to_string(*hops);
    if (*hop < *hops) return chainLink(request, rawQuery, *hop + 1, *hops);
    return routes_->answer(request);
  }
  if (request.query.count(kLoopKey)) {
    auto loop = numberIn(request.query, kLoopKey, 1, kMaximumLoopMarker);
    if (!loop) return badMarker(kLoopKey);
    entry.fault = "redirect-loop";
    const int next = *loop % kMaximumLoopMarker + 1;
    return redirectToSelf(request, rawQuery, std::string(kLoopKey) + "=" + std::to_string(next));
  }
  auto route = Routes::routeOf(request.path);
  auto fault = route ? faults_.take(*route) : std::nullopt;
  if (!fault) return routes_->answer(request);
  entry.fault = FaultTable::describe(*fault);
  return faulty(*fault, request, rawQuery);
}

ScriptedReply AdNetwork::Server::faulty(const FaultPlan& fault, const Routes::Request& request,
                                        const std::string& rawQuery) {
  const ScriptedReply::Fields text{{"Content-Type", "text/plain; charset=utf-8"}};
  switch (fault.fault) {
    case Fault::Status:
      return ScriptedReply::withStatus(fault.status, text,
                                       "status " + std::to_string(fault.status) + "\n");
    case Fault::Delay:
      return routes_->answer(request).after(fault.seconds);
    case Fault::Stall:
      return ScriptedReply::unanswered();
    case Fault::EmptyPage:
      return ScriptedReply::ok(" \n\t\n", {{"Content-Type", "text/html; charset=utf-8"}});
    case Fault::Garbage:
      return ScriptedReply::ok(garbage(), {{"Content-Type", "application/octet-stream"}});
    case Fault::Oversized:
      return ScriptedReply::ok(oversizedPage(), {{"Content-Type", "text/html; charset=utf-8"}});
    case Fault::RedirectChain:
      return chainLink(request, rawQuery, 1, fault.count);
    case Fault::RedirectLoop:
      return redirectToSelf(request, rawQuery, std::string(kLoopKey) + "=1");
    case Fault::CloseMidAnswer: {
      ScriptedReply sound = routes_->answer(request);
      if (sound.body.size() < 2) sound.body = "<html><body>cut short</body></html>";
      ScriptedReply cut = ScriptedReply::cutShort(sound.body, sound.body.size() / 2, true);
      cut.status = sound.status;
      cut.headers = sound.headers;
      return cut;
    }
    case Fault::ScriptSilent:
    case Fault::ScriptThrows:
      if (request.path != Routes::kScriptPath) return routes_->answer(request);
      return routes_->answer(request, fault.fault == Fault::ScriptSilent
                                          ? PageScript::Variant::Silent
                                          : PageScript::Variant::Throws);
  }
  return routes_->answer(request);
}

ScriptedReply AdNetwork::Server::redirectToSelf(const Routes::Request& request,
                                                const std::string& rawQuery,
                                                const std::string& markers) const {
  std::string query = withoutMarkers(rawQuery);
  return ScriptedReply::redirect(request.path + "?" + query + (query.empty() ? "" : "&") + markers);
}

// Each link of a chain names tracking addresses of its own, as ad servers that hand an ad on do.
ScriptedReply AdNetwork::Server::chainLink(const Routes::Request& request,
                                           const std::string& rawQuery, int hop, int hops) const {
  ScriptedReply reply = redirectToSelf(request, rawQuery,
                                       std::string(kHopKey) + "=" + std::to_string(hop) + "&" +
                                           kHopsKey + "=" + std::to_string(hops));
  const std::string tag = "?hop=" + std::to_string(hop);
  reply.headers.emplace_back("X-Avmo-Tracking-Urls",
                             routes_->origin() + Routes::kImpressionPath + tag);
  reply.headers.emplace_back("X-Avmo-Click-Tracking-Urls",
                             routes_->origin() + Routes::kClickTrackingPath + tag);
  return reply;
}

}  // namespace adnetwork
