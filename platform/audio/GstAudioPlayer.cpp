#include "platform/audio/GstAudioPlayer.h"

#include <string>

#include "platform/core/Console.h"

namespace platform::audio {

GstAudioPlayer::GstAudioPlayer(glibsupport::GObjectPtr<GstElement> pipeline)
    : pipeline_(std::move(pipeline)) {
  auto bus = glibsupport::adopt(gst_element_get_bus(pipeline_.get()));
  busWatch_.reset(gst_bus_create_watch(bus.get()));
  // A bus watch calls its callback as a GstBusFunc, whatever type the source keeps it under.
  g_source_set_callback(busWatch_.get(),
                        reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(busMessage)),
                        this, nullptr);
  g_source_attach(busWatch_.get(), nullptr);
}

GstAudioPlayer::~GstAudioPlayer() {
  busWatch_.reset();
  gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
}

bool GstAudioPlayer::play() {
  if (playing_) return true;
  if (!atStart_) {
    gst_element_seek_simple(pipeline_.get(), GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            0);
  }
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    Console::log("audio: the sound output refused to play");
    return false;
  }
  playing_ = true;
  atStart_ = false;
  return true;
}

void GstAudioPlayer::stop() {
  if (!playing_) return;
  playing_ = false;
  gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
}

gboolean GstAudioPlayer::busMessage(GstBus*, GstMessage* message, gpointer self) {
  auto* player = static_cast<GstAudioPlayer*>(self);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      player->finished();
      break;
    case GST_MESSAGE_ERROR:
      player->failed(message);
      break;
    default:
      break;
  }
  // The delegate may have destroyed the player, which removed this watch: nothing of it is
  // touched from here on.
  return G_SOURCE_CONTINUE;
}

void GstAudioPlayer::finished() {
  if (!playing_) return;
  playing_ = false;
  if (auto delegate = this->delegate()) delegate->audioPlayerDidFinishPlaying(*this, true);
}

void GstAudioPlayer::failed(GstMessage* message) {
  glibsupport::GErrorPtr gstError;
  gst_message_parse_error(message, gstError.out(), nullptr);
  std::string text = gstError ? gstError->message : "unknown error";
  playing_ = false;
  gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
  Console::log("audio: playing stopped: " + text);
  base::Error error(std::string(kErrorDomain), 2,
                    base::Dictionary{{std::string(base::Error::kLocalizedDescriptionKey), text}});
  if (auto delegate = this->delegate()) delegate->audioPlayerDecodeErrorDidOccur(*this, error);
}

}  // namespace platform::audio
