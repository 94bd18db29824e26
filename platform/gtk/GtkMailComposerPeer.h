#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/gtk/GtkViewPeer.h"
#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/MailComposerPeer.h"

namespace platform::gtk {

// The mail sheet on a GTK screen: a grid of To, Cc, Bcc and Subject entries over a plain-text
// body, a status line, and Cancel and Send. Recipients show joined with ", " and are read back
// split at "," with the blanks around them trimmed, empty ones dropped.
class GtkMailComposerPeer : public MailComposerPeer {
 public:
  GtkMailComposerPeer(GtkViewPeer& base, MailComposerPeerClient& client);
  ~GtkMailComposerPeer() override;
  GtkMailComposerPeer(const GtkMailComposerPeer&) = delete;
  GtkMailComposerPeer& operator=(const GtkMailComposerPeer&) = delete;

  void messageChanged(const MailMessage& message) override;
  void statusChanged(const std::string& status, bool canSend) override;

  // The fields as they stand on the sheet.
  MailMessage editedMessage() const;

  GtkEntry* toEntry() const { return GTK_ENTRY(to_.get()); }
  GtkEntry* ccEntry() const { return GTK_ENTRY(cc_.get()); }
  GtkEntry* bccEntry() const { return GTK_ENTRY(bcc_.get()); }
  GtkEntry* subjectEntry() const { return GTK_ENTRY(subject_.get()); }
  GtkTextView* bodyView() const { return GTK_TEXT_VIEW(body_.get()); }
  GtkLabel* statusLabel() const { return GTK_LABEL(status_.get()); }
  GtkButton* sendButton() const { return GTK_BUTTON(send_.get()); }
  GtkButton* cancelButton() const { return GTK_BUTTON(cancel_.get()); }

  static GtkMailComposerPeer& of(MailComposeViewController& composer) {
    composer.view();
    return static_cast<GtkMailComposerPeer&>(*composer.composerPeer());
  }

 private:
  static void sendClicked(GtkButton*, gpointer self);
  static void cancelClicked(GtkButton*, gpointer self);
  GtkWidget* addEntry(GtkGrid* grid, int row, const char* label);

  MailComposerPeerClient& client_;
  glibsupport::GObjectPtr<GtkWidget> sheet_;
  glibsupport::GObjectPtr<GtkWidget> to_;
  glibsupport::GObjectPtr<GtkWidget> cc_;
  glibsupport::GObjectPtr<GtkWidget> bcc_;
  glibsupport::GObjectPtr<GtkWidget> subject_;
  glibsupport::GObjectPtr<GtkWidget> body_;
  glibsupport::GObjectPtr<GtkWidget> status_;
  glibsupport::GObjectPtr<GtkWidget> send_;
  glibsupport::GObjectPtr<GtkWidget> cancel_;
  bool bodyIsHTML_ = false;
};

}  // namespace platform::gtk
