#include "platform/gtk/GstAudioBackend.h"

#include <unistd.h>

#include "platform/Console.h"
#include "platform/gtk/GstAudioPlayer.h"

namespace platform::gtk {

namespace {

// playbin's "flags": audio only, so a file with pictures or video needs no video output.
constexpr guint kPlayAudioOnly = 1 << 1;

bool fail(base::Error* error, int code, const std::string& message) {
  Console::log("audio: " + message);
  if (error) {
    *error = base::Error(
        std::string(AudioPlayer::kErrorDomain), code,
        base::Dictionary{{std::string(base::Error::kLocalizedDescriptionKey), message}});
  }
  return false;
}

bool soundDeviceOpens() {
  GstElement* probe = gst_element_factory_make("autoaudiosink", nullptr);
  if (!probe) return false;
  bool opens = gst_element_set_state(probe, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
  gst_element_set_state(probe, GST_STATE_NULL);
  gst_object_unref(probe);
  return opens;
}

}  // namespace

GstAudioBackend::GstAudioBackend(Output output) {
  GError* gstError = nullptr;
  initialized_ = gst_init_check(nullptr, nullptr, &gstError);
  if (!initialized_) {
    Console::log(std::string("audio: GStreamer does not start: ") +
                 (gstError ? gstError->message : "unknown error"));
    if (gstError) g_error_free(gstError);
    return;
  }
  discoverer_ = gst_discoverer_new(static_cast<GstClockTime>(kTimeout * GST_SECOND), nullptr);
  audible_ = output == Output::Automatic && soundDeviceOpens();
  if (output == Output::Automatic && !audible_) {
    Console::log("audio: no sound device can be opened; clips play silently");
  }
}

GstAudioBackend::~GstAudioBackend() {
  if (discoverer_) g_object_unref(discoverer_);
}

GstElement* GstAudioBackend::makeSink() const {
  if (audible_) return gst_element_factory_make("autoaudiosink", nullptr);
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  if (sink) g_object_set(sink, "sync", TRUE, nullptr);
  return sink;
}

std::shared_ptr<AudioPlayer> GstAudioBackend::makePlayer(const base::URL& url, base::Error* error) {
  if (!url.isFileURL()) {
    fail(error, 1, "Cannot open " + url.absoluteString() + ": not a file");
    return nullptr;
  }
  std::string path = url.path();
  if (access(path.c_str(), R_OK) != 0) {
    fail(error, 1, "Cannot open " + path + ": no readable file there");
    return nullptr;
  }
  if (!initialized_ || !discoverer_) {
    fail(error, 3, "Cannot play " + path + ": GStreamer did not start");
    return nullptr;
  }
  if (!discover(path, error)) return nullptr;
  GstElement* pipeline = preroll(path, error);
  if (!pipeline) return nullptr;
  return std::make_shared<GstAudioPlayer>(pipeline);
}

bool GstAudioBackend::discover(const std::string& path, base::Error* error) const {
  gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
  GError* gstError = nullptr;
  GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer_, uri, &gstError);
  g_free(uri);
  std::string problem = gstError ? gstError->message : "";
  if (gstError) g_error_free(gstError);
  GstDiscovererResult result = info ? gst_discoverer_info_get_result(info) : GST_DISCOVERER_ERROR;
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
    GList* streams = gst_discoverer_info_get_audio_streams(info);
    if (!streams) problem = "it holds no sound";
    gst_discoverer_stream_info_list_free(streams);
  }
  if (info) g_object_unref(info);
  if (result == GST_DISCOVERER_OK && problem.empty()) return true;
  return fail(error, code, "Cannot decode " + path + ": " + problem);
}

// A playbin on path, PAUSED with its first sound decoded, or nullptr. The wait is bounded, and
// short in practice: a clip prerolls in milliseconds.
GstElement* GstAudioBackend::preroll(const std::string& path, base::Error* error) const {
  GstElement* pipeline = gst_element_factory_make("playbin", nullptr);
  GstElement* sink = makeSink();
  if (!pipeline || !sink) {
    if (pipeline) gst_object_unref(pipeline);
    if (sink) gst_object_unref(sink);
    fail(error, 3,
         "Cannot play " + path +
             ": GStreamer's playbin or audio sink is missing (gstreamer1.0-plugins-base)");
    return nullptr;
  }
  gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
  g_object_set(pipeline, "uri", uri, "audio-sink", sink, "flags", kPlayAudioOnly, nullptr);
  g_free(uri);

  std::string problem;
  int code = 2;
  GstStateChangeReturn change = gst_element_set_state(pipeline, GST_STATE_PAUSED);
  if (change == GST_STATE_CHANGE_FAILURE) problem = "the pipeline refused to start";
  GstBus* bus = gst_element_get_bus(pipeline);
  while (problem.empty() && change == GST_STATE_CHANGE_ASYNC) {
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, static_cast<GstClockTime>(kTimeout * GST_SECOND),
        static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
    if (!message) {
      problem = "decoding did not finish in time";
      code = 4;
      break;
    }
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
      GError* gstError = nullptr;
      gst_message_parse_error(message, &gstError, nullptr);
      problem = gstError ? gstError->message : "unknown error";
      if (gstError && ((gstError->domain == GST_CORE_ERROR &&
                        gstError->code == GST_CORE_ERROR_MISSING_PLUGIN) ||
                       (gstError->domain == GST_STREAM_ERROR &&
                        gstError->code == GST_STREAM_ERROR_CODEC_NOT_FOUND))) {
        problem += " (is gstreamer1.0-libav installed?)";
        code = 3;
      }
      if (gstError) g_error_free(gstError);
    }
    gst_message_unref(message);
    break;
  }
  gst_object_unref(bus);
  if (problem.empty()) {
    gint audioStreams = 0;
    g_object_get(pipeline, "n-audio", &audioStreams, nullptr);
    if (audioStreams == 0) problem = "it holds no sound";
  }
  if (!problem.empty()) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    fail(error, code, "Cannot decode " + path + ": " + problem);
    return nullptr;
  }
  return pipeline;
}

}  // namespace platform::gtk
