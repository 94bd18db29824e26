#pragma once

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <memory>
#include <string>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/media/AudioPlayer.h"

namespace platform::audio {

// Makes players on GStreamer. A player is made only for a file that exists and decodes: the
// backend first has GStreamer's discoverer look into the file (it reports damaged files reliably,
// where a playbin now and then loses their error and stalls), then prerolls a playbin on it to
// PAUSED. Each step waits at most kTimeout seconds; a clip takes milliseconds. Errors (domain
// AudioPlayer::kErrorDomain): 1 the file cannot be opened, 2 it cannot be decoded, 3 GStreamer is
// missing a part, 4 decoding did not finish in time. Each failure is also told on the console,
// since the program's users hear nothing else of it.
//
// Sound goes to the desktop's sound device. Where none can be opened (a build machine, Xvfb) or
// when Output::Silent is asked for, it goes to a fake sink that keeps real time, so that players
// behave the same either way; the console says so once.
class GstAudioBackend : public AudioBackend {
 public:
  enum class Output { Automatic, Silent };
  static constexpr double kTimeout = 2;

  explicit GstAudioBackend(Output output = Output::Automatic);
  GstAudioBackend(const GstAudioBackend&) = delete;
  GstAudioBackend& operator=(const GstAudioBackend&) = delete;

  base::Expected<std::shared_ptr<AudioPlayer>> makePlayer(const base::URL& url) override;

  // Whether sound reaches a device (false: the fake sink).
  bool isAudible() const { return audible_; }

 private:
  glibsupport::GObjectPtr<GstElement> makeSink() const;
  base::Expected<void> discover(const std::string& path) const;
  base::Expected<glibsupport::GObjectPtr<GstElement>> preroll(const std::string& path) const;

  glibsupport::GObjectPtr<GstDiscoverer> discoverer_;
  bool initialized_ = false;
  bool audible_ = false;
};

}  // namespace platform::audio
