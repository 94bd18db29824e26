#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/Opener/TADOpenerScreens.h"

// The library's own full-screen screens as the opener presents them: the in-app browser
// (TADBrowserController) and the web app screen (TADWebAppViewController). One instance serves
// the process; it installs itself as the openers' screens when the program starts.
class TADLibraryScreens : public TADOpenerScreens {
 public:
  bool canPresent(const std::shared_ptr<platform::ViewController>& presenter) override;
  bool presentBrowser(const Setup& setup, const base::URL& url,
                      const std::optional<base::URL>& referrer,
                      const std::shared_ptr<platform::ViewController>& presenter) override;
  std::shared_ptr<TADWebAppViewController> webApp(const Setup& setup) override;
  bool presentWebApp(const std::shared_ptr<TADWebAppViewController>& screen,
                     const std::optional<base::URL>& url, const std::optional<std::string>& html,
                     const std::shared_ptr<platform::ViewController>& presenter) override;
};
