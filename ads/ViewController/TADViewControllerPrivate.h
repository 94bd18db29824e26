#pragma once

#include <cstdint>
#include <memory>

#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Device/TADOrientations.h"
#include "platform/ui/WebView.h"

// The state of a full-screen ad screen, kept in the private-object registry under the screen.
// Screens with more state extend it.
class TADViewControllerPrivate {
 public:
  virtual ~TADViewControllerPrivate() = default;

  TADOrientations supportedOrientations = TADOrientations::Any;
  // Handed on to the screen's page delegate; not kept alive.
  std::weak_ptr<platform::WebView> openingWebView;
  // Made on first read when none was given.
  std::shared_ptr<TADDelegateManager> delegateManager;
  bool statusBarWasHidden = false;
  // The application's idle-timer setting before the screen came up.
  bool publisherIdleTimerDisabled = false;
  // A presentation or dismissal handshake with the application's controller is under way.
  bool interactingWithParent = false;
};
