#include "platform/gtk/GtkLocalNetworkFilter.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>

#include "platform/core/Console.h"
#include "platform/net/LocalNetworkRules.h"

namespace platform::gtk {

namespace {

constexpr const char* kFixedPrefix = "local-network-";
constexpr const char* kOwnIdentifier = "local-network-origins";
// The manager's data: the generation of each list it has.
constexpr const char* kFixedKey = "tad-local-network-fixed";
constexpr const char* kOwnKey = "tad-local-network-own";

// A name that changes with the rules (FNV-1a), so that a list kept under it is the one it says.
std::string digest(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
  return out;
}

}  // namespace

// A filter lives as long as the program: WebKit may still answer a compile it started.
GtkLocalNetworkFilter& GtkLocalNetworkFilter::shared(const std::string& folder) {
  static std::map<std::string, std::unique_ptr<GtkLocalNetworkFilter>> filters;
  std::unique_ptr<GtkLocalNetworkFilter>& filter = filters[folder];
  if (!filter) filter.reset(new GtkLocalNetworkFilter(folder));
  return *filter;
}

GtkLocalNetworkFilter::GtkLocalNetworkFilter(const std::string& folder)
    : store_(glibsupport::adopt(webkit_user_content_filter_store_new(folder.c_str()))) {}

bool GtkLocalNetworkFilter::name(const std::optional<base::URL>& pageURL) {
  if (!pageURL || !pageURL->isWebURL() || !LocalNetworkRules::isLocal(*pageURL)) return false;
  if (!origins_.insert(LocalNetworkRules::originPattern(*pageURL)).second) return false;
  originURLs_.push_back(*pageURL);
  return true;
}

void GtkLocalNetworkFilter::expect(const base::URL& pageURL) {
  if (name(pageURL)) compile();
}

void GtkLocalNetworkFilter::prepare(WebKitWebView* view, const std::optional<base::URL>& pageURL,
                                    const std::weak_ptr<void>& alive, std::function<void()> load) {
  name(pageURL);
  if (!compiling_ && waiting_.empty()) {
    Wanted wanted = this->wanted();
    if (fixed_.rules == wanted.fixedRules && own_.rules == wanted.ownRules) {
      attach(view);
      load();
      return;
    }
  }
  waiting_.push_back({view, alive, std::move(load)});
  compile();
}

GtkLocalNetworkFilter::Wanted GtkLocalNetworkFilter::wanted() const {
  std::set<std::string> ownPatterns;
  for (const base::URL& url : originURLs_) {
    for (std::string& pattern : LocalNetworkRules::hostPatternsOf(url))
      ownPatterns.insert(std::move(pattern));
  }
  std::vector<std::string> fixed;
  std::vector<std::string> own;
  for (const std::string& pattern : LocalNetworkRules::localHostPatterns())
    (ownPatterns.count(pattern) ? own : fixed).push_back(pattern);
  Wanted wanted;
  if (!fixed.empty()) {
    wanted.fixedRules = LocalNetworkRules::contentRules(fixed, {});
    wanted.fixedIdentifier = kFixedPrefix + digest(wanted.fixedRules);
  }
  if (!originURLs_.empty()) wanted.ownRules = LocalNetworkRules::contentRules(own, originURLs_);
  return wanted;
}

void GtkLocalNetworkFilter::compile() {
  if (compiling_) return;
  Wanted wanted = this->wanted();
  if (fixed_.rules != wanted.fixedRules) {
    if (!fixed_.identifier.empty()) retired_.push_back(fixed_.identifier);
    if (wanted.fixedRules.empty()) {
      fixed_ = {{}, {}, nullptr, ++generations_};
      compile();
      return;
    }
    compiling_ = true;
    pendingIdentifier_ = wanted.fixedIdentifier;
    pendingRules_ = wanted.fixedRules;
    webkit_user_content_filter_store_load(store_.get(), pendingIdentifier_.c_str(), nullptr,
                                          fixedLoaded, this);
    return;
  }
  if (own_.rules != wanted.ownRules) {
    compiling_ = true;
    pendingIdentifier_ = kOwnIdentifier;
    pendingRules_ = wanted.ownRules;
    auto bytes = glibsupport::GBytesPtr(g_bytes_new(pendingRules_.data(), pendingRules_.size()));
    webkit_user_content_filter_store_save(store_.get(), kOwnIdentifier, bytes.get(), nullptr,
                                          ownSaved, this);
    return;
  }
  runWaiting();
}

void GtkLocalNetworkFilter::fixedLoaded(GObject* store, GAsyncResult* result, gpointer self) {
  auto* filter = static_cast<GtkLocalNetworkFilter*>(self);
  glibsupport::GErrorPtr error;
  FilterPtr loaded(webkit_user_content_filter_store_load_finish(
      WEBKIT_USER_CONTENT_FILTER_STORE(store), result, error.out()));
  if (loaded) {
    filter->made(filter->fixed_, loaded.release(), nullptr);
    return;
  }
  // Not kept yet (a first run, or one of an engine that keeps them otherwise): compiled now.
  auto bytes = glibsupport::GBytesPtr(
      g_bytes_new(filter->pendingRules_.data(), filter->pendingRules_.size()));
  webkit_user_content_filter_store_save(WEBKIT_USER_CONTENT_FILTER_STORE(store),
                                        filter->pendingIdentifier_.c_str(), bytes.get(), nullptr,
                                        fixedSaved, filter);
}

void GtkLocalNetworkFilter::fixedSaved(GObject* store, GAsyncResult* result, gpointer self) {
  auto* filter = static_cast<GtkLocalNetworkFilter*>(self);
  glibsupport::GErrorPtr error;
  WebKitUserContentFilter* made = webkit_user_content_filter_store_save_finish(
      WEBKIT_USER_CONTENT_FILTER_STORE(store), result, error.out());
  filter->made(filter->fixed_, made, error.get());
}

void GtkLocalNetworkFilter::ownSaved(GObject* store, GAsyncResult* result, gpointer self) {
  auto* filter = static_cast<GtkLocalNetworkFilter*>(self);
  glibsupport::GErrorPtr error;
  WebKitUserContentFilter* made = webkit_user_content_filter_store_save_finish(
      WEBKIT_USER_CONTENT_FILTER_STORE(store), result, error.out());
  filter->made(filter->own_, made, error.get());
}

void GtkLocalNetworkFilter::made(List& list, WebKitUserContentFilter* filter, const GError* error) {
  compiling_ = false;
  if (!filter) {
    // The rules are the program's own, so only a folder that cannot be written gets here. The
    // loads go on under the rules there are (none before the first), and the next load tries
    // again.
    Console::log(std::string("<Talvik> Web pages could not be kept off local addresses: ") +
                 (error ? error->message : "no reason given") + ".");
    runWaiting();
    return;
  }
  list.identifier = std::exchange(pendingIdentifier_, {});
  list.rules = std::exchange(pendingRules_, {});
  list.filter.reset(filter);
  list.generation = ++generations_;
  compile();
}

void GtkLocalNetworkFilter::runWaiting() {
  std::vector<Waiting> waiting = std::exchange(waiting_, {});
  for (Waiting& load : waiting) {
    if (load.alive.expired()) continue;
    attach(load.view);
    load.load();
  }
}

void GtkLocalNetworkFilter::attach(WebKitWebView* view) {
  WebKitUserContentManager* manager = webkit_web_view_get_user_content_manager(view);
  auto* object = G_OBJECT(manager);
  if (GPOINTER_TO_UINT(g_object_get_data(object, kFixedKey)) != fixed_.generation) {
    for (const std::string& identifier : retired_) {
      if (identifier != fixed_.identifier)
        webkit_user_content_manager_remove_filter_by_id(manager, identifier.c_str());
    }
    if (fixed_.filter) webkit_user_content_manager_add_filter(manager, fixed_.filter.get());
    g_object_set_data(object, kFixedKey, GUINT_TO_POINTER(fixed_.generation));
  }
  // A list under the same identifier replaces the manager's earlier one.
  if (own_.filter && GPOINTER_TO_UINT(g_object_get_data(object, kOwnKey)) != own_.generation) {
    webkit_user_content_manager_add_filter(manager, own_.filter.get());
    g_object_set_data(object, kOwnKey, GUINT_TO_POINTER(own_.generation));
  }
}

bool GtkLocalNetworkFilter::refuses(const std::optional<base::URL>& pageURL,
                                    const base::URL& target) {
  if (!LocalNetworkRules::isLocal(target)) return false;
  if (pageURL && LocalNetworkRules::sameOrigin(*pageURL, target)) return false;
  static gint64 lastSaid = 0;
  gint64 now = g_get_monotonic_time();
  if (lastSaid == 0 || now - lastSaid >= G_USEC_PER_SEC) {
    lastSaid = now;
    Console::log("<Talvik> Refused a load of a web page from a local address other than its own: " +
                 target.absoluteString() + ".");
  }
  return true;
}

}  // namespace platform::gtk
