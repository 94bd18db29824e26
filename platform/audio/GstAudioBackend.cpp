#include "platform/audio/GstAudioBackend.h"

#include <unistd.h>

#include "platform/audio/GstAudioPlayer.h"
#include "platform/audio/GstPtr.h"
#include "platform/core/Console.h"

namespace platform::audio {

namespace {

// playbin's "flags": audio only, so a file with pictures or video needs no video output.
constexpr guint kPlayAudioOnly = 1 << 1;

// The error of a player that cannot be made, said on the console too.
base::Error fail(int code, const std::string& message) {
  Console::log("audio: " + message);
  return base::Error::withDescription(std::string(AudioPlayer::kErrorDomain), code, message);
}

// Elements come with a floating reference: the handle owns a real one, and whatever the element
// is given to takes its own.
glibsupport::GObjectPtr<GstElement> makeElement(const char* factory) {
  GstElement* element = gst_element_factory_make(factory, nullptr);
  return glibsupport::adopt(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

glibsupport::GCharPtr fileURI(const std::string& path) {
  return glibsupport::GCharPtr(gst_filename_to_uri(path.c_str(), nullptr));
}

bool soundDeviceOpens() {
  auto probe = makeElement("autoaudiosink");
  if (!probe) return false;
  bool opens = gst_element_set_state(probe.get(), GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
  gst_element_set_state(probe.get(), GST_STATE_NULL);
  return opens;
}

}  // namespace

GstAudioBackend::GstAudioBackend(Output output) {
  glibsupport::GErrorPtr gstError;
  initialized_ = gst_init_check(nullptr, nullptr, gstError.out());
  if (!initialized_) {
    Console::log(std::string("audio: GStreamer does not start: ") +
                 (gstError ? gstError->message : "unknown error"));
    return;
  }
  discoverer_ = glibsupport::adopt(
      gst_discoverer_new(static_cast<GstClockTime>(kTimeout * GST_SECOND), nullptr));
  audible_ = output == Output::Automatic && soundDeviceOpens();
  if (output == Output::Automatic && !audible_) {
    Console::log("audio: no sound device can be opened; clips play silently");
  }
}

glibsupport::GObjectPtr<GstElement> GstAudioBackend::makeSink() const {
  if (audible_) return makeElement("autoaudiosink");
  auto sink = makeElement("fakesink");
  if (sink) g_object_set(sink.get(), "sync", TRUE, nullptr);
  return sink;
}

base::Expected<std::shared_ptr<AudioPlayer>> GstAudioBackend::makePlayer(const base::URL& url) {
  if (!url.isFileURL()) return fail(1, "Cannot open " + url.absoluteString() + ": not a file");
  std::string path = url.path();
  if (access(path.c_str(), R_OK) != 0) {
    return fail(1, "Cannot open " + path + ": no readable file there");
  }
  if (!initialized_ || !discoverer_) {
    return fail(3, "Cannot play " + path + ": GStreamer did not start");
  }
  if (base::Expected<void> decodable = discover(path); !decodable) return decodable.error();
  base::Expected<glibsupport::GObjectPtr<GstElement>> pipeline = preroll(path);
  if (!pipeline) return pipeline.error();
  return std::make_shared<GstAudioPlayer>(std::move(*pipeline));
}

base::Expected<void> GstAudioBackend::discover(const std::string& path) const {
  glibsupport::GErrorPtr gstError;
  auto info = glibsupport::adopt(
      gst_discoverer_discover_uri(discoverer_.get(), fileURI(path).get(), gstError.out()));
  std::string problem = gstError ? gstError->message : "";
  GstDiscovererResult result =
      info ? gst_discoverer_info_get_result(info.get()) : GST_DISCOVERER_ERROR;
  int code = 2;
  switch (result) {
    case GST_DISCOVERER_OK:
      break;
    case GST_DISCOVERER_TIMEOUT:
      problem = "decoding did not finish in time";
      code = 4;
      break;
    case GST_DISCOVERER_MISSING_PLUGINS:
      problem = "GStreamer is missing a decoder for it (is gstreamer1.0-libav installed?)";
      code = 3;
      break;
    default:
      if (problem.empty()) problem = "it cannot be decoded";
      break;
  }
  if (result == GST_DISCOVERER_OK) {
    GstStreamListPtr streams(gst_discoverer_info_get_audio_streams(info.get()));
    if (!streams) problem = "it holds no sound";
  }
  if (result == GST_DISCOVERER_OK && problem.empty()) return {};
  return fail(code, "Cannot decode " + path + ": " + problem);
}

// A playbin on path, PAUSED with its first sound decoded, or the error. The wait is bounded, and
// short in practice: a clip prerolls in milliseconds.
base::Expected<glibsupport::GObjectPtr<GstElement>> GstAudioBackend::preroll(
    const std::string& path) const {
  auto pipeline = makeElement("playbin");
  auto sink = makeSink();
  if (!pipeline || !sink) {
    return fail(3,
                "Cannot play " + path +
                    ": GStreamer's playbin or audio sink is missing (gstreamer1.0-plugins-base)");
  }
  g_object_set(pipeline.get(), "uri", fileURI(path).get(), "audio-sink", sink.get(), "flags",
               kPlayAudioOnly, nullptr);

  std::string problem;
  int code = 2;
  GstStateChangeReturn change = gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
  if (change == GST_STATE_CHANGE_FAILURE) problem = "the pipeline refused to start";
  auto bus = glibsupport::adopt(gst_element_get_bus(pipeline.get()));
  while (problem.empty() && change == GST_STATE_CHANGE_ASYNC) {
    GstMessagePtr message(gst_bus_timed_pop_filtered(
        bus.get(), static_cast<GstClockTime>(kTimeout * GST_SECOND),
        static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
    if (!message) {
      problem = "decoding did not finish in time";
      code = 4;
      break;
    }
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
      glibsupport::GErrorPtr gstError;
      gst_message_parse_error(message.get(), gstError.out(), nullptr);
      problem = gstError ? gstError->message : "unknown error";
      if (gstError && ((gstError->domain == GST_CORE_ERROR &&
                        gstError->code == GST_CORE_ERROR_MISSING_PLUGIN) ||
                       (gstError->domain == GST_STREAM_ERROR &&
                        gstError->code == GST_STREAM_ERROR_CODEC_NOT_FOUND))) {
        problem += " (is gstreamer1.0-libav installed?)";
        code = 3;
      }
    }
    break;
  }
  if (problem.empty()) {
    gint audioStreams = 0;
    g_object_get(pipeline.get(), "n-audio", &audioStreams, nullptr);
    if (audioStreams == 0) problem = "it holds no sound";
  }
  if (!problem.empty()) {
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return fail(code, "Cannot decode " + path + ": " + problem);
  }
  return pipeline;
}

}  // namespace platform::audio
