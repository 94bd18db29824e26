#include "platform/gtk/GtkLocalNetworkFilter.h"

#include <utility>

#include "platform/Console.h"
#include "platform/LocalNetworkRules.h"

namespace platform::gtk {

namespace {

constexpr const char* kIdentifier = "local-network";
// The manager's data naming the rules it has.
constexpr const char* kAttachedKey = "tad-local-network-rules";

bool isWeb(const base::URL& url) {
  return url.hasScheme("http") || url.hasScheme("https");
}

}  // namespace

GtkLocalNetworkFilter& GtkLocalNetworkFilter::shared(const std::string& folder) {
  static GtkLocalNetworkFilter filter(folder);
  return filter;
}

GtkLocalNetworkFilter::GtkLocalNetworkFilter(const std::string& folder)
    : store_(glibsupport::adopt(webkit_user_content_filter_store_new(folder.c_str()))) {}

bool GtkLocalNetworkFilter::name(const std::optional<base::URL>& pageURL) {
  if (!pageURL || !isWeb(*pageURL) || !LocalNetworkRules::isLocal(*pageURL)) return false;
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
  if (filter_ && compiledOrigins_ == origins_ && waiting_.empty()) {
    attach(view);
    load();
    return;
  }
  waiting_.push_back({view, alive, std::move(load)});
  compile();
}

void GtkLocalNetworkFilter::compile() {
  if (compiling_) return;
  compiling_ = true;
  // Every origin in one list: a load that any list blocks is blocked, so each list must carry the
  // exceptions to its own blocks.
  std::string rules = LocalNetworkRules::contentRules(originURLs_);
  compiledOrigins_ = origins_;
  auto bytes = glibsupport::GBytesPtr(g_bytes_new(rules.data(), rules.size()));
  webkit_user_content_filter_store_save(store_.get(), kIdentifier, bytes.get(), nullptr, compiled,
                                        this);
}

void GtkLocalNetworkFilter::compiled(GObject* store, GAsyncResult* result, gpointer self) {
  auto* filter = static_cast<GtkLocalNetworkFilter*>(self);
  filter->compiling_ = false;
  glibsupport::GErrorPtr error;
  FilterPtr made(webkit_user_content_filter_store_save_finish(
      WEBKIT_USER_CONTENT_FILTER_STORE(store), result, error.out()));
  if (!made) {
    // The rules are the program's own, so only a folder that cannot be written gets here. The
    // loads go on under the rules there are (none before the first), and the next load tries
    // again.
    Console::log(std::string("<Talvik> Web pages could not be kept off local addresses: ") +
                 (error ? error->message : "no reason given") + ".");
    filter->compiledOrigins_.clear();
  } else {
    filter->filter_ = std::move(made);
    if (filter->compiledOrigins_ != filter->origins_) {
      filter->compile();
      return;
    }
  }
  std::vector<Waiting> waiting = std::exchange(filter->waiting_, {});
  for (Waiting& load : waiting) {
    if (load.alive.expired()) continue;
    if (filter->filter_) filter->attach(load.view);
    load.load();
  }
}

void GtkLocalNetworkFilter::attach(WebKitWebView* view) {
  WebKitUserContentManager* manager = webkit_web_view_get_user_content_manager(view);
  if (g_object_get_data(G_OBJECT(manager), kAttachedKey) == filter_.get()) return;
  webkit_user_content_manager_add_filter(manager, filter_.get());
  g_object_set_data(G_OBJECT(manager), kAttachedKey, filter_.get());
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
