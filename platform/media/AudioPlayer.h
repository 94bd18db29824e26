#pragma once

#include <memory>

#include "base/Expected.h"
#include "base/URL.h"

namespace platform {

class AudioPlayer;

// Callbacks of an audio player; all optional.
class AudioPlayerDelegate {
 public:
  virtual ~AudioPlayerDelegate() = default;
  virtual void audioPlayerDidFinishPlaying(AudioPlayer&, bool /*successfully*/) {}
  virtual void audioPlayerDecodeErrorDidOccur(AudioPlayer&, const base::Error&) {}
};

// Plays one sound file. Creation decodes enough of the file to know it can be played and fails
// — no player, with the reason in error — when it cannot be opened or decoded. play starts from
// the beginning when the player is not playing; destroying the player ends its sound.
class AudioPlayer {
 public:
  static constexpr std::string_view kErrorDomain = "platform.audio";
  // The code of creation's error when the installed platform has no audio backend.
  static constexpr int kNoAudioBackend = 100;

  virtual ~AudioPlayer() = default;

  // A player for the file at url from the installed platform, or the error (kNoAudioBackend when
  // the platform plays no sound).
  static base::Expected<std::shared_ptr<AudioPlayer>> create(const base::URL& url);

  virtual bool play() = 0;
  virtual void stop() = 0;
  virtual bool isPlaying() const = 0;

  void setDelegate(std::weak_ptr<AudioPlayerDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<AudioPlayerDelegate> delegate() const { return delegate_.lock(); }

 private:
  std::weak_ptr<AudioPlayerDelegate> delegate_;
};

// What a backend supplies to make players.
class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  virtual base::Expected<std::shared_ptr<AudioPlayer>> makePlayer(const base::URL& url) = 0;
};

}  // namespace platform
