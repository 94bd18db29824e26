#include "platform/gtk/GtkWebViewGuard.h"

#include <map>
#include <optional>
#include <string>

#include "base/URL.h"
#include "platform/core/ConsoleRateLimit.h"
#include "platform/glibsupport/GlibPtr.h"

namespace platform::gtk {

namespace {

// Says line, at most once a second for each kind of refusal.
void refused(const char* kind, const std::string& line) {
  static std::map<std::string, ConsoleRateLimit, std::less<>> limits;
  auto found = limits.find(kind);
  if (found == limits.end()) {
    found = limits.try_emplace(kind, 1, std::string(kind) + " refusals").first;
  }
  found->second.log("<Talvik> Refused " + line);
}

bool mayRedirectTo(const char* uri) {
  std::optional<base::URL> url = base::URL::fromString(uri);
  return url && url->isWebURL();
}

gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                      gpointer) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  if (!webkit_navigation_action_is_redirect(action)) return FALSE;
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  if (mayRedirectTo(uri)) return FALSE;
  glibsupport::GCharPtr scheme(g_uri_parse_scheme(uri));
  refused("redirect",
          std::string("a redirect to the scheme \"") + (scheme ? scheme.get() : "") + "\".");
  webkit_policy_decision_ignore(decision);
  return TRUE;
}

const char* dialogName(WebKitScriptDialogType type) {
  switch (type) {
    case WEBKIT_SCRIPT_DIALOG_ALERT:
      return "an alert";
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
      return "a confirmation";
    case WEBKIT_SCRIPT_DIALOG_PROMPT:
      return "a prompt";
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
      break;
  }
  return "a question before leaving the page";
}

// What a view's owner allows of its page's dialogs, kept on the view.
struct DialogPermit {
  bool shows = false;
  std::optional<gint64> lastShown;

  static DialogPermit* of(WebKitWebView* view) {
    return static_cast<DialogPermit*>(g_object_get_qdata(G_OBJECT(view), quark()));
  }
  static GQuark quark() { return g_quark_from_static_string("tad-dialog-permit"); }
  // Whether a dialog of this kind may be shown now; if so, it counts as shown.
  static bool takeTurn(WebKitWebView* view, WebKitScriptDialogType type) {
    DialogPermit* permit = of(view);
    if (!permit || !permit->shows || type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
      return false;
    }
    gint64 now = g_get_monotonic_time();
    constexpr auto kInterval = static_cast<gint64>(GtkWebViewGuard::kDialogInterval * 1e6);
    if (permit->lastShown && now - *permit->lastShown < kInterval) return false;
    permit->lastShown = now;
    return true;
  }
};

gboolean scriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer) {
  WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(dialog);
  if (DialogPermit::takeTurn(view, type)) return FALSE;  // WebKit shows it in the view
  if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM)
    webkit_script_dialog_confirm_set_confirmed(dialog, FALSE);
  if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM)
    webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
  refused("dialog", std::string("to show ") + dialogName(type) + " of a web page.");
  return TRUE;
}

gboolean print(WebKitWebView*, WebKitPrintOperation*, gpointer) {
  refused("print", "to print a web page.");
  return TRUE;
}

gboolean permissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
  webkit_permission_request_deny(request);
  refused("permission", "a permission request of a web page.");
  return TRUE;
}

gboolean queryPermissionState(WebKitWebView*, WebKitPermissionStateQuery* query, gpointer) {
  webkit_permission_state_query_finish(query, WEBKIT_PERMISSION_STATE_DENIED);
  return TRUE;
}

gboolean runFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer) {
  webkit_file_chooser_request_cancel(request);
  refused("file chooser", "a file chooser of a web page.");
  return TRUE;
}

gboolean runColorChooser(WebKitWebView*, WebKitColorChooserRequest* request, gpointer) {
  webkit_color_chooser_request_cancel(request);
  refused("colour chooser", "a colour chooser of a web page.");
  return TRUE;
}

gboolean enterFullscreen(WebKitWebView*, gpointer) {
  refused("full screen", "a web page's request for the full screen.");
  return TRUE;
}

gboolean showNotification(WebKitWebView*, WebKitNotification*, gpointer) {
  refused("notification", "a notification of a web page.");
  return TRUE;
}

gboolean contextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                     gpointer) {
  refused("context menu", "a context menu on a web page.");
  return TRUE;
}

gboolean authenticate(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
  webkit_authentication_request_cancel(request);
  refused("authentication", "to ask for a web page's password.");
  return TRUE;
}

void downloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer) {
  webkit_download_cancel(download);
  refused("download", "a download from a web page.");
}

}  // namespace

void GtkWebViewGuard::guardView(WebKitWebView* view) {
  g_signal_connect(view, "decide-policy", G_CALLBACK(decidePolicy), nullptr);
  g_signal_connect(view, "script-dialog", G_CALLBACK(scriptDialog), nullptr);
  g_signal_connect(view, "print", G_CALLBACK(print), nullptr);
  g_signal_connect(view, "permission-request", G_CALLBACK(permissionRequest), nullptr);
  g_signal_connect(view, "query-permission-state", G_CALLBACK(queryPermissionState), nullptr);
  g_signal_connect(view, "run-file-chooser", G_CALLBACK(runFileChooser), nullptr);
  g_signal_connect(view, "run-color-chooser", G_CALLBACK(runColorChooser), nullptr);
  g_signal_connect(view, "enter-fullscreen", G_CALLBACK(enterFullscreen), nullptr);
  g_signal_connect(view, "show-notification", G_CALLBACK(showNotification), nullptr);
  g_signal_connect(view, "context-menu", G_CALLBACK(contextMenu), nullptr);
  g_signal_connect(view, "authenticate", G_CALLBACK(authenticate), nullptr);
}

void GtkWebViewGuard::setShowsDialogs(WebKitWebView* view, bool shows) {
  DialogPermit* permit = DialogPermit::of(view);
  if (!permit) {
    permit = new DialogPermit;
    g_object_set_qdata_full(G_OBJECT(view), DialogPermit::quark(), permit,
                            [](gpointer permit) { delete static_cast<DialogPermit*>(permit); });
  }
  permit->shows = shows;
}

void GtkWebViewGuard::guardContext(WebKitWebContext* context) {
  g_signal_connect(context, "download-started", G_CALLBACK(downloadStarted), nullptr);
}

}  // namespace platform::gtk
