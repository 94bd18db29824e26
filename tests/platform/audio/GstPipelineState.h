#pragma once

// What the audio backend's tests look at in a player's GStreamer pipeline.

#include <gst/gst.h>

namespace platform::audio::testing {

inline GstState stateOf(GstElement* pipeline) {
  GstState state = GST_STATE_VOID_PENDING;
  gst_element_get_state(pipeline, &state, nullptr, 0);
  return state;
}

// Seconds played, or -1 when the pipeline cannot say.
inline double positionOf(GstElement* pipeline) {
  gint64 position = 0;
  if (!gst_element_query_position(pipeline, GST_FORMAT_TIME, &position)) return -1;
  return static_cast<double>(position) / GST_SECOND;
}

}  // namespace platform::audio::testing
