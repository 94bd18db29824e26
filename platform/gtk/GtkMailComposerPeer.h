#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/MailComposeViewController.h"
#include "platform/MailComposerPeer.h"
#include "platform/gtk/GtkViewPeer.h"

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

  GtkEntry* toEntry() const { return GTK_ENTRY(to_); }
  GtkEntry* ccEntry() const { return GTK_ENTRY(cc_); }
  GtkEntry* bccEntry() const { return GTK_ENTRY(bcc_); }
  GtkEntry* subjectEntry() const { return GTK_ENTRY(subject_); }
  GtkTextView* bodyView() const { return GTK_TEXT_VIEW(body_); }
  GtkLabel* statusLabel() const { return GTK_LABEL(status_); }
  GtkButton* sendButton() const { return GTK_BUTTON(send_); }
  GtkButton* cancelButton() const { return GTK_BUTTON(cancel_); }

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
  // The rest are held by sheet_.
  GtkWidget* to_;
  GtkWidget* cc_;
  GtkWidget* bcc_;
  GtkWidget* subject_;
  GtkWidget* body_;
  GtkWidget* status_;
  GtkWidget* send_;
  GtkWidget* cancel_;
  bool bodyIsHTML_ = false;
};

}  // namespace platform::gtk
