#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/gtk/GtkViewPeer.h"
#include "platform/ui/Button.h"
#include "platform/ui/ButtonPeer.h"

namespace platform::gtk {

// A button on a GTK screen: a GtkButton as the content of the button's view, showing the title
// (cut short with an ellipsis where the frame is too narrow) after the optional image; a button
// with an image and no title shows the image alone, without the button's frame. A click is
// reported to the button.
class GtkButtonPeer : public ButtonPeer {
 public:
  GtkButtonPeer(GtkViewPeer& base, ButtonPeerClient& client);
  ~GtkButtonPeer() override;
  GtkButtonPeer(const GtkButtonPeer&) = delete;
  GtkButtonPeer& operator=(const GtkButtonPeer&) = delete;

  void titleChanged(const std::string& title) override;
  void imageChanged(const std::string& imagePath) override;
  void imageDataChanged(const std::vector<uint8_t>& png, double scale) override;

  GtkButton* button() const { return GTK_BUTTON(button_.get()); }
  static GtkButtonPeer& of(Button& button) {
    return static_cast<GtkButtonPeer&>(button.buttonPeer());
  }

 private:
  static void clicked(GtkButton*, gpointer self);
  void showFrameOnlyWithTitle();

  ButtonPeerClient& client_;
  glibsupport::GObjectPtr<GtkWidget> button_;
  glibsupport::GObjectPtr<GtkWidget> image_;
  glibsupport::GObjectPtr<GtkWidget> label_;
};

}  // namespace platform::gtk
