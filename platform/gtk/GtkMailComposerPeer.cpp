#include "platform/gtk/GtkMailComposerPeer.h"

#include <vector>

#include "base/ASCII.h"

namespace platform::gtk {

namespace {

constexpr int kSpacing = 6;

std::string joined(const std::vector<std::string>& recipients) {
  std::string text;
  for (const std::string& recipient : recipients) {
    if (!text.empty()) text += ", ";
    text += recipient;
  }
  return text;
}

std::vector<std::string> recipientsOf(GtkWidget* entry) {
  std::vector<std::string> recipients;
  for (const std::string& piece : base::split(gtk_entry_get_text(GTK_ENTRY(entry)), ',')) {
    std::string recipient = base::trimmed(piece, " \t");
    if (!recipient.empty()) recipients.push_back(std::move(recipient));
  }
  return recipients;
}

}  // namespace

GtkMailComposerPeer::GtkMailComposerPeer(GtkViewPeer& base, MailComposerPeerClient& client)
    : client_(client),
      sheet_(glibsupport::adopt(
          GTK_WIDGET(g_object_ref_sink(gtk_box_new(GTK_ORIENTATION_VERTICAL, kSpacing))))) {
  gtk_container_set_border_width(GTK_CONTAINER(sheet_.get()), kSpacing);

  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, kSpacing);
  cancel_ = glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_button_new_with_label("Cancel"))));
  GtkWidget* title = gtk_label_new("New Message");
  send_ = glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_button_new_with_label("Send"))));
  gtk_box_pack_start(GTK_BOX(buttons), cancel_.get(), FALSE, FALSE, 0);
  gtk_box_set_center_widget(GTK_BOX(buttons), title);
  gtk_box_pack_end(GTK_BOX(buttons), send_.get(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(sheet_.get()), buttons, FALSE, FALSE, 0);

  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), kSpacing);
  gtk_grid_set_column_spacing(GTK_GRID(grid), kSpacing);
  to_ = glibsupport::retain(addEntry(GTK_GRID(grid), 0, "To:"));
  cc_ = glibsupport::retain(addEntry(GTK_GRID(grid), 1, "Cc:"));
  bcc_ = glibsupport::retain(addEntry(GTK_GRID(grid), 2, "Bcc:"));
  subject_ = glibsupport::retain(addEntry(GTK_GRID(grid), 3, "Subject:"));
  gtk_box_pack_start(GTK_BOX(sheet_.get()), grid, FALSE, FALSE, 0);

  body_ = glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_text_view_new())));
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(body_.get()), GTK_WRAP_WORD_CHAR);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scroller), body_.get());
  gtk_box_pack_start(GTK_BOX(sheet_.get()), scroller, TRUE, TRUE, 0);

  status_ = glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_label_new(nullptr))));
  gtk_label_set_line_wrap(GTK_LABEL(status_.get()), TRUE);
  gtk_label_set_xalign(GTK_LABEL(status_.get()), 0);
  gtk_box_pack_start(GTK_BOX(sheet_.get()), status_.get(), FALSE, FALSE, 0);

  g_signal_connect(send_.get(), "clicked", G_CALLBACK(sendClicked), this);
  g_signal_connect(cancel_.get(), "clicked", G_CALLBACK(cancelClicked), this);
  gtk_widget_show_all(sheet_.get());
  gtk_widget_hide(status_.get());
  base.setContent(sheet_.get());
}

GtkMailComposerPeer::~GtkMailComposerPeer() {
  g_signal_handlers_disconnect_by_data(send_.get(), this);
  g_signal_handlers_disconnect_by_data(cancel_.get(), this);
}

GtkWidget* GtkMailComposerPeer::addEntry(GtkGrid* grid, int row, const char* label) {
  GtkWidget* name = gtk_label_new(label);
  gtk_label_set_xalign(GTK_LABEL(name), 1);
  GtkWidget* entry = gtk_entry_new();
  gtk_widget_set_hexpand(entry, TRUE);
  gtk_grid_attach(grid, name, 0, row, 1, 1);
  gtk_grid_attach(grid, entry, 1, row, 1, 1);
  return entry;
}

void GtkMailComposerPeer::messageChanged(const MailMessage& message) {
  gtk_entry_set_text(GTK_ENTRY(to_.get()), joined(message.toRecipients).c_str());
  gtk_entry_set_text(GTK_ENTRY(cc_.get()), joined(message.ccRecipients).c_str());
  gtk_entry_set_text(GTK_ENTRY(bcc_.get()), joined(message.bccRecipients).c_str());
  gtk_entry_set_text(GTK_ENTRY(subject_.get()), message.subject.c_str());
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(body_.get()));
  gtk_text_buffer_set_text(buffer, message.body.c_str(), -1);
  bodyIsHTML_ = message.bodyIsHTML;
}

void GtkMailComposerPeer::statusChanged(const std::string& status, bool canSend) {
  gtk_label_set_text(GTK_LABEL(status_.get()), status.c_str());
  gtk_widget_set_visible(status_.get(), !status.empty());
  gtk_widget_set_sensitive(send_.get(), canSend);
}

MailMessage GtkMailComposerPeer::editedMessage() const {
  MailMessage message;
  message.toRecipients = recipientsOf(to_.get());
  message.ccRecipients = recipientsOf(cc_.get());
  message.bccRecipients = recipientsOf(bcc_.get());
  message.subject = gtk_entry_get_text(GTK_ENTRY(subject_.get()));
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(body_.get()));
  GtkTextIter start;
  GtkTextIter end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  glibsupport::GCharPtr body(gtk_text_buffer_get_text(buffer, &start, &end, FALSE));
  message.body = body.get();
  message.bodyIsHTML = bodyIsHTML_;
  return message;
}

void GtkMailComposerPeer::sendClicked(GtkButton*, gpointer self) {
  auto* peer = static_cast<GtkMailComposerPeer*>(self);
  peer->client_.mailComposerPeerSend(peer->editedMessage());
}

void GtkMailComposerPeer::cancelClicked(GtkButton*, gpointer self) {
  static_cast<GtkMailComposerPeer*>(self)->client_.mailComposerPeerCancel();
}

}  // namespace platform::gtk
