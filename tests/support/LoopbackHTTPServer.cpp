#include "tests/support/LoopbackHTTPServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace test_support {

namespace {

constexpr size_t kLongestHead = 64 * 1024;
constexpr size_t kLongestBody = 16 * 1024 * 1024;

bool sameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

bool hasToken(std::string_view list, std::string_view token) {
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
      item.remove_prefix(1);
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t'))
      item.remove_suffix(1);
    if (sameName(item, token)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

std::string_view reasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 304:
      return "Not Modified";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

std::optional<std::string> findHeader(const LoopbackHTTPServer::HeaderList& headers,
                                      std::string_view name) {
  for (const auto& [field, value] : headers) {
    if (sameName(field, name)) return value;
  }
  return std::nullopt;
}

// Clients in this process must reach the server directly, also on a machine whose environment
// names an HTTP proxy (which could not reach our loopback address, or would answer for it).
void bypassProxiesForLoopback() {
  for (const char* name : {"no_proxy", "NO_PROXY"}) {
    const char* current = std::getenv(name);
    if (current && hasToken(current, "127.0.0.1")) continue;
    std::string value = current && *current ? std::string(current) + ",127.0.0.1" : "127.0.0.1";
    setenv(name, value.c_str(), 1);
  }
}

}  // namespace

struct LoopbackHTTPServer::Connection {
  int fd;
  size_t index;
  std::string buffer;  // bytes received and not yet taken by a request
};

// ---- Request and Response ----

std::string LoopbackHTTPServer::Request::path() const {
  return target.substr(0, target.find('?'));
}

std::optional<std::string> LoopbackHTTPServer::Request::header(std::string_view name) const {
  return findHeader(headers, name);
}

std::vector<std::string> LoopbackHTTPServer::Request::headerValues(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [field, value] : headers) {
    if (sameName(field, name)) values.push_back(value);
  }
  return values;
}

// ---- Life cycle ----

LoopbackHTTPServer::LoopbackHTTPServer() {
  fallback_ = [](const Request&) { return Response::withStatus(404, {}, "not found"); };
  bypassProxiesForLoopback();
  if (pipe2(wakeFds_, O_CLOEXEC) != 0) {
    problem_ = std::string("pipe: ") + std::strerror(errno);
    return;
  }
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listenFd_, 64) != 0 ||
      getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    problem_ = std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno);
    return;
  }
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

LoopbackHTTPServer::~LoopbackHTTPServer() {
  stopping_ = true;
  if (wakeFds_[1] >= 0) {
    char byte = 1;
    while (write(wakeFds_[1], &byte, 1) < 0 && errno == EINTR) {
    }
  }
  if (acceptThread_.joinable()) acceptThread_.join();
  // No thread is added after the accepting one has ended.
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    for (const auto& connection : connections_)
      shutdown(connection->fd, SHUT_RDWR);
    threads.swap(threads_);
  }
  for (std::thread& thread : threads)
    thread.join();
  for (const auto& connection : connections_)
    close(connection->fd);
  for (int fd : {listenFd_, wakeFds_[0], wakeFds_[1]}) {
    if (fd >= 0) close(fd);
  }
}

std::string LoopbackHTTPServer::url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

void LoopbackHTTPServer::route(std::string path, Handler handler) {
  std::lock_guard lock(mutex_);
  routes_[std::move(path)] = std::move(handler);
}

void LoopbackHTTPServer::route(std::string path, Response response) {
  route(std::move(path), [response = std::move(response)](const Request&) { return response; });
}

void LoopbackHTTPServer::setFallback(Handler handler) {
  std::lock_guard lock(mutex_);
  fallback_ = std::move(handler);
}

std::vector<LoopbackHTTPServer::Request> LoopbackHTTPServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t LoopbackHTTPServer::requestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

// ---- Threads ----

void LoopbackHTTPServer::acceptLoop() {
  while (!stopping_) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    auto connection = std::make_shared<Connection>(Connection{fd, ++accepted_, {}});
    std::lock_guard lock(mutex_);
    connections_.push_back(connection);
    threads_.emplace_back([this, connection] { serve(connection); });
  }
}

namespace {

// Waits until fd can be read or the server stops; false when it stops.
bool waitReadable(int fd, int wakeFd) {
  while (true) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents != 0) return false;
    return true;
  }
}

// Reads more bytes into buffer; false at the end of the stream, on an error or when stopping.
bool receiveMore(int fd, int wakeFd, std::string& buffer) {
  if (!waitReadable(fd, wakeFd)) return false;
  char chunk[16 * 1024];
  ssize_t count;
  do {
    count = recv(fd, chunk, sizeof chunk, 0);
  } while (count < 0 && errno == EINTR);
  if (count <= 0) return false;
  buffer.append(chunk, static_cast<size_t>(count));
  return true;
}

bool sendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t count = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

// Parses the head in text (request line and fields, without the blank line); false if malformed.
bool parseHead(std::string_view text, LoopbackHTTPServer::Request& request, std::string& version) {
  size_t lineEnd = text.find("\r\n");
  std::string_view line = text.substr(0, lineEnd);
  size_t firstSpace = line.find(' ');
  size_t lastSpace = line.rfind(' ');
  if (firstSpace == std::string_view::npos || lastSpace == firstSpace) return false;
  request.method = line.substr(0, firstSpace);
  request.target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  version = line.substr(lastSpace + 1);
  while (lineEnd != std::string_view::npos) {
    text.remove_prefix(lineEnd + 2);
    lineEnd = text.find("\r\n");
    line = text.substr(0, lineEnd);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    request.headers.emplace_back(line.substr(0, colon), trimmed(line.substr(colon + 1)));
  }
  return true;
}

}  // namespace

void LoopbackHTTPServer::serve(std::shared_ptr<Connection> connection) {
  struct CountClosed {
    std::atomic<size_t>& closed;
    ~CountClosed() { ++closed; }
  } countClosed{closed_};
  while (!stopping_) {
    // The head.
    size_t headEnd;
    while ((headEnd = connection->buffer.find("\r\n\r\n")) == std::string::npos) {
      if (connection->buffer.size() > kLongestHead) return;
      if (!receiveMore(connection->fd, wakeFds_[0], connection->buffer)) return;
    }
    Request request;
    request.connection = connection->index;
    std::string version;
    if (!parseHead(std::string_view(connection->buffer).substr(0, headEnd), request, version)) {
      return;
    }
    connection->buffer.erase(0, headEnd + 4);

    // The body, when the request announces one by its length (chunked bodies are not taken).
    if (request.header("Transfer-Encoding")) return;
    size_t bodyLength = 0;
    if (std::optional<std::string> length = request.header("Content-Length")) {
      auto [end, error] =
          std::from_chars(length->data(), length->data() + length->size(), bodyLength);
      if (error != std::errc() || end != length->data() + length->size() ||
          bodyLength > kLongestBody) {
        return;
      }
    }
    while (connection->buffer.size() < bodyLength) {
      if (!receiveMore(connection->fd, wakeFds_[0], connection->buffer)) return;
    }
    request.body = connection->buffer.substr(0, bodyLength);
    connection->buffer.erase(0, bodyLength);

    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    Response response = answer(request);
    if (!sendResponse(*connection, request, response)) return;

    std::optional<std::string> connectionField = request.header("Connection");
    bool keepAlive = version == "HTTP/1.1"
                         ? !(connectionField && hasToken(*connectionField, "close"))
                         : connectionField && hasToken(*connectionField, "keep-alive");
    std::optional<std::string> answeredField = response.header("Connection");
    if (answeredField && hasToken(*answeredField, "close")) keepAlive = false;
    if (!keepAlive) {
      shutdown(connection->fd, SHUT_RDWR);
      return;
    }
  }
}

LoopbackHTTPServer::Response LoopbackHTTPServer::answer(const Request& request) {
  Handler handler;
  {
    std::lock_guard lock(mutex_);
    auto route = routes_.find(request.path());
    handler = route != routes_.end() ? route->second : fallback_;
  }
  return handler(request);
}

bool LoopbackHTTPServer::sendResponse(Connection& connection, const Request& request,
                                      const Response& response) {
  if (response.failure) {
    shutdown(connection.fd, SHUT_RDWR);
    return false;
  }
  if (!pause(response.delay)) return false;
  if (response.sending == Response::Sending::Nothing) {
    if (response.closeWhenCut) {
      shutdown(connection.fd, SHUT_RDWR);
    } else {
      waitUntilStopped(connection);
    }
    return false;
  }

  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                     std::string(reasonPhrase(response.status)) + "\r\n";
  for (const auto& [field, value] : response.headers)
    head += field + ": " + value + "\r\n";
  if (!response.header("Content-Length") && !response.header("Transfer-Encoding")) {
    head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
  }
  head += "\r\n";

  // One write for head and body: written apart, the body could wait for the client's delayed
  // acknowledgement of the head.
  std::string_view body = request.method == "HEAD" ? std::string_view() : response.body;
  if (response.sending == Response::Sending::Everything) {
    if (response.pieceSize > 0) return sendInPieces(connection, std::move(head), body, response);
    return sendAll(connection.fd, head.append(body));
  }
  sendAll(connection.fd, head.append(body.substr(0, response.bodyBytesSent)));
  if (response.closeWhenCut) {
    shutdown(connection.fd, SHUT_RDWR);
  } else {
    waitUntilStopped(connection);
  }
  return false;
}

bool LoopbackHTTPServer::sendInPieces(Connection& connection, std::string head,
                                      std::string_view body, const Response& response) {
  std::string_view piece = body.substr(0, response.pieceSize);
  if (!sendAll(connection.fd, head.append(piece))) return false;
  body.remove_prefix(piece.size());
  while (!body.empty()) {
    if (!pause(response.pieceInterval)) return false;
    piece = body.substr(0, response.pieceSize);
    if (!sendAll(connection.fd, piece)) return false;
    body.remove_prefix(piece.size());
  }
  return true;
}

bool LoopbackHTTPServer::pause(double seconds) {
  if (!(seconds > 0)) return true;
  pollfd wake = {wakeFds_[0], POLLIN, 0};
  return poll(&wake, 1, static_cast<int>(std::lround(seconds * 1000))) == 0;
}

// Holds a connection whose answer is withheld until the server stops or the client goes away.
void LoopbackHTTPServer::waitUntilStopped(Connection& connection) {
  std::string ignored;
  while (receiveMore(connection.fd, wakeFds_[0], ignored))
    ignored.clear();
}

}  // namespace test_support
