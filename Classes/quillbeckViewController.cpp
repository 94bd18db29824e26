#include "Classes/quillbeckViewController.h"

#include <map>

#include "Classes/quillbeckClips.h"
#include "Classes/quillbeckInterface.h"
#include "Classes/quillbeckInterfaceFile.h"
#include "ads/Request/TADRequest.h"
#include "ads/View/TADBannerView.h"
#include "platform/core/Console.h"
#include "platform/storage/Bundle.h"

void quillbeckViewController::loadView() {
  quillbeckInterface::loadSoundboardView(*this, interfaceFile_.get());
}

void quillbeckViewController::viewDidLoad() {
  platform::ViewController::viewDidLoad();
  double height = view()->frame().height();
  bannerView_ = TADBannerView::initWithFrame({0, height - 50, 320, 50});
  bannerView_->setAdUnitID(std::string(kAdUnitID));
  bannerView_->setRootViewController(weak_from_this());
  view()->addSubview(bannerView_);
  std::shared_ptr<TADRequest> request = TADRequest::request();
  request->setTesting(true);
  bannerView_->loadRequest(request);
}

void quillbeckViewController::playClip(std::string_view resource) {
  platform::Bundle& bundle = platform::Bundle::main();
  std::optional<std::string> path = bundle.pathForResource(resource, kClipType);
  theAudio.reset();  // ends the clip that is sounding
  if (!path) {
    platform::Console::log("quillbeck: the clip " + std::string(resource) + "." +
                           std::string(kClipType) + " is missing from " + bundle.resourcePath());
    return;
  }
  // A clip that cannot be played says why on the console, and the board stays silent.
  base::Expected<std::shared_ptr<platform::AudioPlayer>> made =
      platform::AudioPlayer::create(base::URL::fileURLWithPath(*path));
  if (!made) return;
  theAudio = std::move(*made);
  // The screen owns the player, so the player only observes it.
  theAudio->setDelegate(std::shared_ptr<platform::AudioPlayerDelegate>(shared_from_this(), this));
  theAudio->play();
}

void quillbeckViewController::stop(const void*) {
  if (theAudio) theAudio->stop();
}

void quillbeckViewController::quorrendal(const void*) {
  playClip(kClips[0].resource);
}
void quillbeckViewController::plimsk(const void*) {
  playClip(kClips[1].resource);
}
void quillbeckViewController::vadro(const void*) {
  playClip(kClips[2].resource);
}
void quillbeckViewController::thessa(const void*) {
  playClip(kClips[3].resource);
}
void quillbeckViewController::gorvin(const void*) {
  playClip(kClips[4].resource);
}
void quillbeckViewController::draskel(const void*) {
  playClip(kClips[5].resource);
}
void quillbeckViewController::fennock(const void*) {
  playClip(kClips[6].resource);
}
void quillbeckViewController::trelm(const void*) {
  playClip(kClips[7].resource);
}
void quillbeckViewController::kavrith(const void*) {
  playClip(kClips[8].resource);
}
void quillbeckViewController::lunderpash(const void*) {
  playClip(kClips[9].resource);
}
void quillbeckViewController::brisovant(const void*) {
  playClip(kClips[10].resource);
}
void quillbeckViewController::hethquorrim(const void*) {
  playClip(kClips[11].resource);
}
void quillbeckViewController::nalvestor(const void*) {
  playClip(kClips[12].resource);
}
void quillbeckViewController::pruvane(const void*) {
  playClip(kClips[13].resource);
}

std::function<void(const void*)> quillbeckViewController::actionNamed(std::string_view name) {
  using Action = void (quillbeckViewController::*)(const void*);
  static const std::map<std::string_view, Action> kActions{
      {"quorrendal:", &quillbeckViewController::quorrendal},
      {"plimsk:", &quillbeckViewController::plimsk},
      {"vadro:", &quillbeckViewController::vadro},
      {"thessa:", &quillbeckViewController::thessa},
      {"gorvin:", &quillbeckViewController::gorvin},
      {"draskel:", &quillbeckViewController::draskel},
      {"fennock:", &quillbeckViewController::fennock},
      {"trelm:", &quillbeckViewController::trelm},
      {"kavrith:", &quillbeckViewController::kavrith},
      {"lunderpash:", &quillbeckViewController::lunderpash},
      {"brisovant:", &quillbeckViewController::brisovant},
      {"hethquorrim:", &quillbeckViewController::hethquorrim},
      {"nalvestor:", &quillbeckViewController::nalvestor},
      {"pruvane:", &quillbeckViewController::pruvane},
      {"stop:", &quillbeckViewController::stop},
  };
  auto found = kActions.find(name);
  if (found == kActions.end()) return nullptr;
  std::weak_ptr<ViewController> weakSelf = weak_from_this();
  Action action = found->second;
  // A button must not keep its screen alive.
  return [weakSelf, action](const void* sender) {
    if (auto self = weakSelf.lock())
      (static_cast<quillbeckViewController*>(self.get())->*action)(sender);
  };
}
