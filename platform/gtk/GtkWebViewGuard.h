#pragma once

#include <webkit2/webkit2.h>

namespace platform::gtk {

// The lower half of the open gate (TADOpenGate): what WebKit would do on its own, without asking
// the view's client, is refused here before the gate could be asked. The gate decides what a page
// may open at the user's press; this guard decides what no web page of the program does by
// itself, whoever shows it: every page is a stranger's. It is installed on every WebKit view and on
// the web context when they are made, before anyone else hears them, and never taken off, so that
// it holds for a view between users too. Its refusals are its own console lines, not the gate's.
//
// - A server redirect to anything but a web address (base::URL::isWebURL: http or https with a
//   host) is refused before it loads, and before the view's user is asked about it: the page
//   never learns where the redirect pointed, and nothing is handed to another application. (A redirect to a local file never gets this far: WebKit
//   ends the page's web process on it, which the view reports as a failed load.)
// - Every download is cancelled as it starts, before a destination is chosen, so that not even a
//   partial file is written.
// - Printing, script dialogs, file and colour choosers, permission requests, full screen,
//   notifications, HTTP authentication and context menus are refused without showing anything.
//   Script dialogs are answered at once: an alert is dismissed, a confirmation declined, a prompt
//   gets no text, and a page that asks before it is left is left (it cannot keep its view).
//   Only a view whose owner lets it (setShowsDialogs: a page the user chose to open) shows an
//   alert, confirmation or prompt, as WebKit draws it inside the view, and at most one every
//   kDialogInterval seconds; the others in between are answered unseen. A page cannot trap the
//   user with them: the dialog covers only its own view, so the screen's own close control stays
//   within reach; while it is up the page's script waits for it, so no second one piles up; and
//   a page that asks in a loop is heard once every kDialogInterval seconds at most.
//   Context menus are refused whole: what they offer beyond what a press can do (open in a new
//   window, download, print, save, inspect) would all leave the page without the user's press
//   being put to the library.
//
// Each refusal says so in one console line ("<Talvik> Refused …"); a page that asks again and
// again is heard once a second per kind of refusal; the rest are dropped and counted in one line
// (platform::ConsoleRateLimit, as the pages' own console lines are).
class GtkWebViewGuard {
 public:
  static constexpr double kDialogInterval = 5;

  static void guardView(WebKitWebView* view);
  // Whether view may show its page's dialogs; not until this says so.
  static void setShowsDialogs(WebKitWebView* view, bool shows);
  static void guardContext(WebKitWebContext* context);
};

}  // namespace platform::gtk
