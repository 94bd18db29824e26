#include "platform/audio/PulseAudioSession.h"

#include <glib.h>
#include <pulse/context.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <algorithm>
#include <cctype>

#include "base/ASCII.h"

namespace platform::audio {

PulseAudioSession::~PulseAudioSession() {
  disconnect();
}

int32_t PulseAudioSession::initialize() {
  if (context_) return kAlreadyInitialized;
  if (g_get_monotonic_time() < retryAfter_) return -1;
  mainloop_ = pa_glib_mainloop_new(nullptr);
  if (!mainloop_) return failedToStart();
  context_ = pa_context_new(pa_glib_mainloop_get_api(mainloop_), "quillbeck");
  if (!context_) return failedToStart();
  pa_context_set_state_callback(context_, &PulseAudioSession::stateChanged, this);
  // Never start a server of our own: a desktop without one simply has no route to report.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    return failedToStart();
  }
  return 0;
}

int32_t PulseAudioSession::failedToStart() {
  disconnect();
  retryAfter_ = g_get_monotonic_time() + kRetrySeconds * G_USEC_PER_SEC;
  return -1;
}

int32_t PulseAudioSession::currentRoute(std::optional<std::string>& routeName) {
  if (!route_) return -1;
  routeName = route_;
  return 0;
}

std::string PulseAudioSession::routeNameForPort(std::string_view portName) {
  const std::string lower = base::lowercased(portName);
  if (lower.find("headset") != std::string::npos) return "Headset";
  if (lower.find("headphone") != std::string::npos) return "Headphone";
  if (lower.find("speaker") != std::string::npos) return "Speaker";
  return std::string(portName);
}

void PulseAudioSession::stateChanged(pa_context* context, void* self) {
  auto* session = static_cast<PulseAudioSession*>(self);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
      pa_context_set_subscribe_callback(
          context,
          [](pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
            static_cast<PulseAudioSession*>(self)->refresh();
          },
          session);
      if (pa_operation* operation =
              pa_context_subscribe(context,
                                   static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                       PA_SUBSCRIPTION_MASK_SERVER),
                                   nullptr, nullptr)) {
        pa_operation_unref(operation);
      }
      session->refresh();
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      session->route_.reset();
      break;
    default:
      break;
  }
}

// Asks for the default output, then for that output's active port.
void PulseAudioSession::refresh() {
  auto serverInfo = [](pa_context* context, const pa_server_info* info, void* self) {
    if (!info || !info->default_sink_name) {
      static_cast<PulseAudioSession*>(self)->route_.reset();
      return;
    }
    auto sinkInfo = [](pa_context*, const pa_sink_info* sink, int last, void* self) {
      if (last) return;
      auto* session = static_cast<PulseAudioSession*>(self);
      if (sink && sink->active_port && sink->active_port->name) {
        session->route_ = routeNameForPort(sink->active_port->name);
      } else {
        session->route_.reset();
      }
    };
    if (pa_operation* operation =
            pa_context_get_sink_info_by_name(context, info->default_sink_name, sinkInfo, self)) {
      pa_operation_unref(operation);
    }
  };
  if (pa_operation* operation = pa_context_get_server_info(context_, serverInfo, this)) {
    pa_operation_unref(operation);
  }
}

void PulseAudioSession::disconnect() {
  if (context_) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  if (mainloop_) {
    pa_glib_mainloop_free(mainloop_);
    mainloop_ = nullptr;
  }
  route_.reset();
}

}  // namespace platform::audio
