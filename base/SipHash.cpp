#include "base/SipHash.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <random>

namespace base {

const uint64_t* SipHash::processKey() {
  static const auto key = [] {
    std::array<uint64_t, 2> bytes{};
    auto* cursor = reinterpret_cast<char*>(bytes.data());
    size_t missing = sizeof bytes;
    while (missing > 0) {
      ssize_t got = getrandom(cursor, missing, 0);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      cursor += got;
      missing -= static_cast<size_t>(got);
    }
    if (missing > 0) {  // no getrandom: still different from run to run
      std::random_device device;
      bytes = {uint64_t{device()} << 32 | device(), uint64_t{device()} << 32 | device()};
    }
    return bytes;
  }();
  return key.data();
}

}  // namespace base
