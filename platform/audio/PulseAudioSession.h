#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/media/AudioSession.h"

struct pa_context;
struct pa_glib_mainloop;

namespace platform::audio {

// The audio session of a Linux desktop: it follows the default output of the sound server
// (PulseAudio, or PipeWire through its PulseAudio interface) on the GLib main loop and names the
// output's active port as the route: "Speaker", "Headphone", "Headset", or the port's own name
// for any other output. The connection starts with initialize(); until the server has answered,
// and wherever no server runs, the route cannot be read and currentRoute() fails. A connection
// that cannot start is not tried again for kRetrySeconds: every ad request asks, and starting one
// costs a client set-up and a connection attempt each time.
class PulseAudioSession : public AudioSession {
 public:
  static constexpr int64_t kRetrySeconds = 30;

  PulseAudioSession() = default;
  ~PulseAudioSession() override;
  PulseAudioSession(const PulseAudioSession&) = delete;
  PulseAudioSession& operator=(const PulseAudioSession&) = delete;

  // 0 when the connection starts, kAlreadyInitialized afterwards, -1 when it cannot start (and
  // within kRetrySeconds of such a failure).
  int32_t initialize() override;
  // 0 with the route while the server has named one; -1 otherwise.
  int32_t currentRoute(std::optional<std::string>& routeName) override;

  // The route a port of the given name stands for.
  static std::string routeNameForPort(std::string_view portName);

 private:
  static void stateChanged(pa_context* context, void* self);
  void refresh();
  void disconnect();
  int32_t failedToStart();

  pa_glib_mainloop* mainloop_ = nullptr;
  pa_context* context_ = nullptr;
  std::optional<std::string> route_;
  // Monotonic microseconds before which a connection is not tried again.
  int64_t retryAfter_ = 0;
};

}  // namespace platform::audio
