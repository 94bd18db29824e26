#pragma once

#include <memory>

#include "platform/WebViewPeer.h"
#include "platform/gtk/GtkViewPeer.h"

namespace platform::gtk {

// Makes the GTK backend's web view peer over base, whose content the engine's widget becomes.
std::unique_ptr<WebViewPeer> makeGtkWebViewPeer(GtkViewPeer& base, WebViewPeerClient& client);

}  // namespace platform::gtk
