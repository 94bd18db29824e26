// How long a hidden page takes to answer with the ad address, loaded whole as the library's build
// page is (the page script, then the call with the parameters), against the same call evaluated in
// a page that holds the page script and was loaded ahead. WebKit alone, no ad library: two hidden
// views sharing one web process, the answer taken at the policy decision for the script's
// navigation to the message address, as the library takes it. Needs a display.
//
//   build_page_probe [--rounds N]
//
// Prints the median and the quartiles of both, in milliseconds.

#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char kBase[] = "http://127.0.0.1:9/";
// Parameters of the size and shape of a banner's ad request.
constexpr const char kParameters[] =
    R"({"slotname":"bench-slot","ad_frame":{"x":0,"y":430,"w":320,"h":50},)"
    R"("ad_bounds":{"x":0,"y":0,"w":320,"h":50},"u_w":320,"u_h":480,"lang":"en",)"
    R"("app":"org.quillbeck.Soundboard","seq":7,"mode":"test"})";

struct Probe {
  bool answered = false;
  bool loaded = false;
};

gboolean decide(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                gpointer data) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (std::strncmp(uri, "gmsg:", 5) == 0) {
      static_cast<Probe*>(data)->answered = true;
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
  }
  webkit_policy_decision_use(decision);
  return TRUE;
}

void loadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
  if (event == WEBKIT_LOAD_FINISHED) static_cast<Probe*>(data)->loaded = true;
}

void runFor(double seconds) {
  gint64 end = g_get_monotonic_time() + static_cast<gint64>(seconds * 1e6);
  while (g_get_monotonic_time() < end)
    g_main_context_iteration(nullptr, FALSE);
}

template <typename Done>
void runUntil(Done done) {
  while (!done())
    g_main_context_iteration(nullptr, TRUE);
}

double millisecondsSince(gint64 start) {
  return static_cast<double>(g_get_monotonic_time() - start) / 1000;
}

void report(const char* what, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  std::printf("  %-40s %.2f ms (quartiles %.2f–%.2f)\n", what, values[n / 2], values[n / 4],
              values[3 * n / 4]);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 40;
  if (argc == 3 && std::strcmp(argv[1], "--rounds") == 0) rounds = std::max(4, std::atoi(argv[2]));
  gtk_init(&argc, &argv);
  gchar* text = nullptr;
  if (!g_file_get_contents(BUILD_PAGE_SCRIPT, &text, nullptr, nullptr)) {
    std::fprintf(stderr, "build_page_probe: cannot read %s\n", BUILD_PAGE_SCRIPT);
    return EXIT_FAILURE;
  }
  const std::string script(text);
  g_free(text);

  Probe whole, ahead;
  WebKitWebView* wholeView = WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new()));
  WebKitWebView* aheadView = WEBKIT_WEB_VIEW(
      g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", wholeView, nullptr)));
  for (auto [view, probe] : {std::pair{wholeView, &whole}, std::pair{aheadView, &ahead}}) {
    g_signal_connect(view, "decide-policy", G_CALLBACK(decide), probe);
    g_signal_connect(view, "load-changed", G_CALLBACK(loadChanged), probe);
  }
  webkit_web_view_load_html(wholeView, "", nullptr);
  runUntil([&] { return whole.loaded; });

  const std::string call = "AVMO_buildAdURL(" + std::string(kParameters) + ");";
  const std::string scriptPage = "<html><head><script>" + script + "</script>";
  std::vector<double> wholeTimes, aheadTimes;
  for (int i = 0; i < rounds; ++i) {
    std::string page = scriptPage + "<script>" + call + "</script></head><body></body></html>";
    whole.answered = false;
    gint64 start = g_get_monotonic_time();
    webkit_web_view_load_html(wholeView, page.c_str(), kBase);
    runUntil([&] { return whole.answered; });
    wholeTimes.push_back(millisecondsSince(start));
    runFor(0.1);

    ahead.loaded = false;
    webkit_web_view_load_html(aheadView, (scriptPage + "</head><body></body></html>").c_str(),
                              kBase);
    runUntil([&] { return ahead.loaded; });
    runFor(0.1);
    ahead.answered = false;
    start = g_get_monotonic_time();
    webkit_web_view_evaluate_javascript(aheadView, call.c_str(), -1, nullptr, nullptr, nullptr,
                                        nullptr, nullptr);
    runUntil([&] { return ahead.answered; });
    aheadTimes.push_back(millisecondsSince(start));
    runFor(0.1);
  }
  std::printf("the script's answer, %d rounds:\n", rounds);
  report("build page loaded whole", wholeTimes);
  report("call in a page loaded ahead", aheadTimes);
  gtk_widget_destroy(GTK_WIDGET(aheadView));
  gtk_widget_destroy(GTK_WIDGET(wholeView));
  g_object_unref(aheadView);
  g_object_unref(wholeView);
  return EXIT_SUCCESS;
}
