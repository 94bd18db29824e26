#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ads/Opener/TADOpener.h"

// Writes down every opening it is asked for instead of opening anything: the kind, the address
// ("-" for none), the orientation code where the kind has one, and the referring page when one is
// set. Messages still go through the opener's own dispatch, so a test sees where they lead.
class RecordingOpener : public TADOpener {
 public:
  std::vector<std::string> calls;

  void openApp(const std::optional<base::URL>& url) override { note("app", url); }
  void openEmailComposer(const std::optional<base::URL>& url) override { note("mail", url); }
  void openBrowserToURL(const std::optional<base::URL>& url, TADOrientations o) override {
    note("browser", url, o);
  }
  void openWebApp(const std::optional<base::URL>& url, TADOrientations o) override {
    note("webapp", url, o);
  }
  void openWebAppWithHTML(const std::optional<std::string>& html, TADOrientations o) override {
    calls.push_back("html " + html.value_or("-") + " " + std::to_string(static_cast<int>(o)));
  }

 private:
  void note(const char* what, const std::optional<base::URL>& url,
            std::optional<TADOrientations> o = std::nullopt) {
    std::string call = std::string(what) + " " + (url ? url->absoluteString() : "-");
    if (o) call += " " + std::to_string(static_cast<int>(*o));
    if (referringURL()) call += " from " + referringURL()->absoluteString();
    calls.push_back(std::move(call));
  }
};
