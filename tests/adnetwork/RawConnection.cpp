#include "tests/adnetwork/RawConnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "tests/adnetwork/HttpClient.h"

namespace adnetwork::testing {

RawConnection::RawConnection(uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
      errno != EINPROGRESS) {
    ::close(fd_);
    fd_ = -1;
  }
}

RawConnection::~RawConnection() {
  if (fd_ >= 0) ::close(fd_);
}

bool RawConnection::send(std::string_view bytes) {
  if (fd_ < 0) return false;
  size_t sent = 0;
  HttpClient::iterateUntil([&] {
    ssize_t written = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (written > 0) sent += static_cast<size_t>(written);
    return sent == bytes.size() || (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
  });
  return sent == bytes.size();
}

bool RawConnection::readSome(std::string& into) {
  char buffer[4096];
  ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
  if (got > 0) into.append(buffer, static_cast<size_t>(got));
  return got > 0 || (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
}

std::string RawConnection::readHead(double seconds) {
  std::string head;
  if (fd_ < 0) return head;
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * G_USEC_PER_SEC);
  HttpClient::iterateUntil([&] {
    return !readSome(head) || head.find("\r\n\r\n") != std::string::npos ||
           g_get_monotonic_time() > deadline;
  });
  return head;
}

bool RawConnection::closedWithin(double seconds) {
  if (fd_ < 0) return true;
  std::string discarded;
  bool closed = false;
  const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * G_USEC_PER_SEC);
  HttpClient::iterateUntil([&] {
    closed = !readSome(discarded);
    discarded.clear();
    return closed || g_get_monotonic_time() > deadline;
  });
  return closed;
}

int RawConnection::status(const std::string& head) {
  if (head.rfind("HTTP/1.", 0) != 0 || head.size() < 12) return 0;
  return std::atoi(head.c_str() + 9);
}

}  // namespace adnetwork::testing
