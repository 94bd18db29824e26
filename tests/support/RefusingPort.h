#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace test_support {

// A port on 127.0.0.1 that refuses connections: a socket is bound to it and never listens, so a
// client's connection attempt is refused, and no other test can take the port while this object
// lives.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;

  // 0 if no port could be bound.
  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by target.
  std::string url(std::string_view target = "/") const;

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

}  // namespace test_support
