#include "platform/net/URLResponse.h"

#include <charconv>

namespace platform {

int64_t URLResponse::expectedContentLength() const {
  std::optional<std::string> text = headers_.value("Content-Length");
  // Only digits: from_chars alone would take "-0" for a length.
  if (!text || text->empty() || (*text)[0] < '0' || (*text)[0] > '9') return -1;
  int64_t length = -1;
  const char* end = text->data() + text->size();
  auto [stop, error] = std::from_chars(text->data(), end, length);
  if (error != std::errc() || stop != end || length < 0) return -1;
  return length;
}

}  // namespace platform
