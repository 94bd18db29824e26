#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace adnetwork::testing {

// A bare TCP connection to 127.0.0.1 for what a well-behaved client never does: heads with a
// foreign "Host", bodies announced and never sent, connections that say nothing. It waits by
// iterating the thread-default main context (ten seconds at most), so that a network on the same
// thread answers meanwhile.
class RawConnection {
 public:
  // Connects without waiting; sends wait until the connection is made.
  explicit RawConnection(uint16_t port);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool opened() const { return fd_ >= 0; }
  bool send(std::string_view bytes);
  // What arrives until a whole head is in, the peer closes or `seconds` pass.
  std::string readHead(double seconds = 10);
  // Whether the peer closes (or resets) the connection within `seconds`, discarding what it sends.
  bool closedWithin(double seconds);

  // The status code of a head ("HTTP/1.1 421 …"); 0 for none.
  static int status(const std::string& head);

 private:
  // Reads what there is; false once the peer has closed.
  bool readSome(std::string& into);

  int fd_ = -1;
};

}  // namespace adnetwork::testing
