#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/media/AudioPlayer.h"
#include "platform/ui/ViewController.h"

class TADBannerView;
class quillbeckInterfaceFile;

// The soundboard screen: fourteen clip actions and stop, one audio player at a time, and the ad
// banner along the bottom edge of the view as it is when loaded. The phone screen stays upright;
// the tablet screen (quillbeckiPad) is the same screen but turns to every orientation.
class quillbeckViewController : public platform::ViewController,
                                public platform::AudioPlayerDelegate {
 public:
  // The ad unit both screens show.
  static constexpr std::string_view kAdUnitID = "a17c52f0d3b8e46";

  // The soundboard view of the application's interface.
  void loadView() override;
  // Places the banner and loads its first ad.
  void viewDidLoad() override;

  // The clip actions. Each disposes of the player of the clip pressed before (ending its sound)
  // and plays its own clip from the beginning. The sender is ignored.
  void quorrendal(const void* sender);
  void plimsk(const void* sender);
  void vadro(const void* sender);
  void thessa(const void* sender);
  void gorvin(const void* sender);
  void draskel(const void* sender);
  void fennock(const void* sender);
  void trelm(const void* sender);
  void kavrith(const void* sender);
  void lunderpash(const void* sender);
  void brisovant(const void* sender);
  void hethquorrim(const void* sender);
  void nalvestor(const void* sender);
  void pruvane(const void* sender);
  // Stops the player of the last clip, which stays until the next clip press.
  void stop(const void* sender);

  // The action of that name ("plimsk:", "stop:"), as an interface file names it; nullptr for
  // names the screen does not know.
  std::function<void(const void*)> actionNamed(std::string_view name);

  // The description of the screen's buttons, from the interface file; its view is loaded from it.
  void setInterfaceFile(std::shared_ptr<const quillbeckInterfaceFile> file) {
    interfaceFile_ = std::move(file);
  }

  const std::shared_ptr<TADBannerView>& bannerView() const { return bannerView_; }
  const std::shared_ptr<platform::AudioPlayer>& audioPlayer() const { return theAudio; }

 protected:
  void playClip(std::string_view resource);

 private:
  std::shared_ptr<TADBannerView> bannerView_;
  std::shared_ptr<platform::AudioPlayer> theAudio;
  std::shared_ptr<const quillbeckInterfaceFile> interfaceFile_;
};
