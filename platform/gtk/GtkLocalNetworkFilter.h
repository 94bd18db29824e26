#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/URL.h"
#include "platform/glibsupport/GlibPtr.h"

namespace platform::gtk {

// Keeps the pages of the program's web views off local addresses (LocalNetworkRules) but at their
// own origin, with WebKit content rules: the engine applies them to every load a page makes —
// frames, a script's fetches, form posts, images, sockets — in the web process before it connects,
// where no signal of the view would even see a script's fetch. A page whose own origin is local
// (the embedded ad network's pages) keeps that origin: the rules name each local origin that a
// view of the program was given a page at, each only for pages whose top document is there.
//
// WebKit compiles rules asynchronously, and views may share one user content manager (a view made
// related to another shares its manager); so a load the program asks for waits (prepare) until
// rules that name its origin are in its view's manager, and loads keep their order. Later loads
// at an origin already named go at once.
//
// Compiling takes a processor for a good part of a hundred milliseconds, which the program's
// first web process would otherwise have while it starts, and the embedded ad network is at a new
// port at every start. So the rules are two lists: one for the kinds of local host that no named
// origin is at, the same from one run to the next, kept in the folder and loaded from there
// (compiled only when missing); and a small one for the kinds that named origins are at, with
// their exceptions, compiled anew. A load that either list blocks is blocked, and each list
// carries the exceptions to its own blocks, so together they let through what one list of every
// kind would.
//
// The engine does not report what its rules block. A navigation that a view's decision sees (a
// frame's, a form's, a link's) is refused there with a console line instead (refuses).
class GtkLocalNetworkFilter {
 public:
  // The program's filter whose compiled rules WebKit keeps in folder, made at the first call for
  // that folder (a program whose host is made anew under another identity gets a filter of its
  // own, whose rules are kept in that identity's folder).
  static GtkLocalNetworkFilter& shared(const std::string& folder);

  // Compiles rules naming pageURL's origin now, when it is local and not named yet, so that the
  // first page there finds them ready (the program knows where its pages will come from before it
  // loads the first). Naming an origin early lets nothing more than its first page would: the
  // rules let a page reach its own origin only.
  void expect(const base::URL& pageURL);
  // Runs load once view's rules let a page at pageURL (none: a page with no address) reach its
  // own origin and no other local one: at once, or on a later pass of the loop, and then only
  // while alive has not expired (it guards view too).
  void prepare(WebKitWebView* view, const std::optional<base::URL>& pageURL,
               const std::weak_ptr<void>& alive, std::function<void()> load);
  // Whether a page at pageURL must not navigate to target: target is local and not at the page's
  // origin. A refusal says so on the console, at most once a second.
  static bool refuses(const std::optional<base::URL>& pageURL, const base::URL& target);

 private:
  struct Waiting {
    WebKitWebView* view;
    std::weak_ptr<void> alive;
    std::function<void()> load;
  };
  struct FilterUnref {
    void operator()(WebKitUserContentFilter* filter) const {
      webkit_user_content_filter_unref(filter);
    }
  };
  using FilterPtr = std::unique_ptr<WebKitUserContentFilter, FilterUnref>;
  // One list of rules: its name in the store and in the managers, the text it was compiled from
  // (empty: no list) and the compiled list, numbered so that a manager tells a new one apart.
  struct List {
    std::string identifier;
    std::string rules;
    FilterPtr filter;
    unsigned generation = 0;
  };
  // The lists that the origins named so far call for.
  struct Wanted {
    std::string fixedIdentifier;
    std::string fixedRules;
    std::string ownRules;
  };

  explicit GtkLocalNetworkFilter(const std::string& folder);
  // Adds pageURL's origin to those the rules are to name, when it is a local web origin; answers
  // whether it was not named yet.
  bool name(const std::optional<base::URL>& pageURL);
  Wanted wanted() const;
  // Brings the lists to what the named origins call for, one step at a time, then runs the loads
  // that wait.
  void compile();
  static void fixedLoaded(GObject* store, GAsyncResult* result, gpointer self);
  static void fixedSaved(GObject* store, GAsyncResult* result, gpointer self);
  static void ownSaved(GObject* store, GAsyncResult* result, gpointer self);
  void made(List& list, WebKitUserContentFilter* filter, const GError* error);
  void runWaiting();
  void attach(WebKitWebView* view);

  glibsupport::GObjectPtr<WebKitUserContentFilterStore> store_;
  // The origin patterns the rules are to name, with an address at each.
  std::set<std::string> origins_;
  std::vector<base::URL> originURLs_;
  List fixed_;
  List own_;
  // The list being loaded or compiled, made into fixed_ or own_ when done.
  std::string pendingIdentifier_;
  std::string pendingRules_;
  bool compiling_ = false;
  unsigned generations_ = 0;
  // The identifiers of fixed lists that a later one replaced, which managers may still have.
  std::vector<std::string> retired_;
  std::vector<Waiting> waiting_;
};

}  // namespace platform::gtk
