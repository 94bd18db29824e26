#pragma once

#include <gst/gst.h>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/media/AudioPlayer.h"

namespace platform::audio {

// A player on a GStreamer playbin that its backend has prerolled (PAUSED, first sound decoded).
// play rewinds to the beginning unless the player is playing; stop pauses; the end of the stream
// and errors arrive through the pipeline's bus on the main loop and go to the delegate.
// Destroying the player sets the pipeline to NULL at once, which silences it.
class GstAudioPlayer : public AudioPlayer {
 public:
  explicit GstAudioPlayer(glibsupport::GObjectPtr<GstElement> pipeline);
  ~GstAudioPlayer() override;
  GstAudioPlayer(const GstAudioPlayer&) = delete;
  GstAudioPlayer& operator=(const GstAudioPlayer&) = delete;

  bool play() override;
  void stop() override;
  bool isPlaying() const override { return playing_; }

  // The pipeline, for those who observe its state.
  GstElement* pipeline() const { return pipeline_.get(); }

 private:
  static gboolean busMessage(GstBus*, GstMessage* message, gpointer self);
  void finished();
  void failed(GstMessage* message);

  glibsupport::GObjectPtr<GstElement> pipeline_;
  glibsupport::GSourcePtr busWatch_;
  bool playing_ = false;
  bool atStart_ = true;
};

}  // namespace platform::audio
