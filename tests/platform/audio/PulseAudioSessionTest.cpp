#include "platform/audio/PulseAudioSession.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <cstdlib>

namespace platform::audio {
namespace {

TEST(PulseAudioSessionTest, PortsAreNamedAsRoutes) {
  EXPECT_EQ(PulseAudioSession::routeNameForPort("analog-output-speaker"), "Speaker");
  EXPECT_EQ(PulseAudioSession::routeNameForPort("analog-output-headphones"), "Headphone");
  EXPECT_EQ(PulseAudioSession::routeNameForPort("[Out] Headphones"), "Headphone");
  EXPECT_EQ(PulseAudioSession::routeNameForPort("headset-output"), "Headset");
  EXPECT_EQ(PulseAudioSession::routeNameForPort("hdmi-output-0"), "hdmi-output-0");
}

TEST(PulseAudioSessionTest, WithoutASoundServerTheRouteCannotBeRead) {
  setenv("PULSE_SERVER", "unix:/nonexistent/quillbeck-test/native", 1);
  PulseAudioSession session;
  int32_t started = session.initialize();
  EXPECT_TRUE(started == 0 || started == -1);
  if (started == 0) {
    EXPECT_EQ(session.initialize(), AudioSession::kAlreadyInitialized);
  }
  // Let the connection attempt fail on the main context.
  gint64 deadline = g_get_monotonic_time() + 2 * G_USEC_PER_SEC;
  while (g_get_monotonic_time() < deadline)
    g_main_context_iteration(nullptr, FALSE);
  std::optional<std::string> route;
  EXPECT_NE(session.currentRoute(route), 0);
  EXPECT_FALSE(route);
  unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace platform::audio
