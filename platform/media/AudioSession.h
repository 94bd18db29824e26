#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The process's audio session: set up once, then asked where sound goes. Operations answer a
// status in the platform's convention: 0 for success, anything else a failure; setting up a
// session that is already set up answers kAlreadyInitialized.
class AudioSession {
 public:
  // The four-character code 'init'.
  static constexpr int32_t kAlreadyInitialized = 0x696e6974;

  virtual ~AudioSession() = default;
  // The platform's session, or nullptr where it has none.
  static AudioSession* shared();

  virtual int32_t initialize() = 0;
  // Fills routeName with the current route ("Speaker", "Headphone", "Headset"…) on success; it
  // may stay empty when the session names no route.
  virtual int32_t currentRoute(std::optional<std::string>& routeName) = 0;
};

}  // namespace platform
