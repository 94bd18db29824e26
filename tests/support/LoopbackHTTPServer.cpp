#include "tests/support/LoopbackHTTPServer.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/net/HTTPHeaderFields.h"

namespace test_support {

namespace {

using platform::HTTPHeaderFields;

// Clients in this process must reach the server directly, also on a machine whose environment
// names an HTTP proxy (which could not reach our loopback address, or would answer for it).
void bypassProxiesForLoopback() {
  for (const char* name : {"no_proxy", "NO_PROXY"}) {
    const char* current = std::getenv(name);
    if (current && std::string_view(current).find("127.0.0.1") != std::string_view::npos) continue;
    std::string value = current && *current ? std::string(current) + ",127.0.0.1" : "127.0.0.1";
    setenv(name, value.c_str(), 1);
  }
}

// Closed here, or by the client while libsoup, holding back an answer, does not read from it.
bool hasEnded(GSocket* socket) {
  if (g_socket_is_closed(socket)) return true;
  char byte;
  ssize_t peeked = recv(g_socket_get_fd(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

}  // namespace

std::string LoopbackHTTPServer::Request::path() const {
  return target.substr(0, target.find('?'));
}

std::optional<std::string> LoopbackHTTPServer::Request::header(std::string_view name) const {
  std::vector<std::string> values = headerValues(name);
  return values.empty() ? std::nullopt : std::optional(values.front());
}

std::vector<std::string> LoopbackHTTPServer::Request::headerValues(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [field, value] : headers)
    if (HTTPHeaderFields::sameName(field, name)) values.push_back(value);
  return values;
}

LoopbackHTTPServer::LoopbackHTTPServer() {
  fallback_ = [](const Request&) { return Response::withStatus(404, {}, "not found"); };
  bypassProxiesForLoopback();
  GMainContext* context = g_main_context_get_thread_default();
  sender_ = std::make_unique<adnetwork::ReplySender>(context ? context : g_main_context_default());
  server_ = glibsupport::adopt(static_cast<SoupServer*>(g_object_new(SOUP_TYPE_SERVER, nullptr)));
  soup_server_add_handler(server_.get(), nullptr, &handleRequest, this, nullptr);
  glibsupport::GErrorPtr error;
  if (!soup_server_listen_local(server_.get(), 0, SOUP_SERVER_LISTEN_IPV4_ONLY, error.out())) {
    g_printerr("loopback server: cannot listen on 127.0.0.1: %s\n", error->message);
    return;
  }
  GSList* uris = soup_server_get_uris(server_.get());
  if (uris) port_ = static_cast<uint16_t>(g_uri_get_port(static_cast<GUri*>(uris->data)));
  g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
}

LoopbackHTTPServer::~LoopbackHTTPServer() {
  sender_.reset();
  soup_server_remove_handler(server_.get(), nullptr);
  soup_server_disconnect(server_.get());
}

std::string LoopbackHTTPServer::url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

void LoopbackHTTPServer::route(std::string path, Handler handler) {
  routes_[std::move(path)] = std::move(handler);
}

void LoopbackHTTPServer::route(std::string path, Response response) {
  route(std::move(path), [response = std::move(response)](const Request&) { return response; });
}

size_t LoopbackHTTPServer::closedConnectionCount() const {
  return std::count_if(sockets_.begin(), sockets_.end(),
                       [](const auto& socket) { return hasEnded(socket.get()); });
}

void LoopbackHTTPServer::handleRequest(SoupServer*, SoupServerMessage* message, const char*,
                                       GHashTable*, gpointer self) {
  auto& server = *static_cast<LoopbackHTTPServer*>(self);
  server.requests_.push_back(server.recorded(message));
  const Request& request = server.requests_.back();
  auto route = server.routes_.find(request.path());
  Response response =
      route != server.routes_.end() ? route->second(request) : server.fallback_(request);
  server.sender_->send(message, std::move(response));
}

LoopbackHTTPServer::Request LoopbackHTTPServer::recorded(SoupServerMessage* message) {
  Request request;
  GUri* uri = soup_server_message_get_uri(message);
  request.target = g_uri_get_path(uri);
  if (const char* query = g_uri_get_query(uri)) request.target += std::string("?") + query;
  SoupMessageHeadersIter fields;
  soup_message_headers_iter_init(&fields, soup_server_message_get_request_headers(message));
  const char* name = nullptr;
  const char* value = nullptr;
  while (soup_message_headers_iter_next(&fields, &name, &value))
    request.headers.emplace_back(name, value);

  GSocket* socket = soup_server_message_get_socket(message);
  auto same = [&](const auto& held) { return held.get() == socket; };
  if (std::none_of(sockets_.begin(), sockets_.end(), same))
    sockets_.push_back(glibsupport::retain(socket));
  return request;
}

}  // namespace test_support
