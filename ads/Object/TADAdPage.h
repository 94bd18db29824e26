#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/Device/TADOrientations.h"
#include "ads/Network/TADCachedFile.h"
#include "base/URL.h"

// The current ad's page, and what the ad server's answers said about the ad in their headers:
// the impression and click tracking addresses, each answer's appended once in the order of the
// answers (redirects included), and the orientations of the screens the ad opens. Each ad gets a
// page of its own, fetched anew, which lives until the next replaces it; the address lists live
// as long, while the orientations stay until an answer names others. A full-screen timeout an
// answer names goes to the user defaults.
class TADAdPage {
 public:
  TADAdPage() = default;
  ~TADAdPage() { clear(); }
  TADAdPage(const TADAdPage&) = delete;
  TADAdPage& operator=(const TADAdPage&) = delete;

  // Replaces the page with a fetch of url, started, that reports to delegate.
  void loadHTMLFromURL(std::weak_ptr<TADCachedFileDelegate> delegate, const base::URL& url);
  // Stops the page's fetch and deletes its copy; no page is left.
  void clear() { setAdHTML(nullptr); }
  // Takes what the headers of file's latest answer say about the ad.
  void processHTTPHeaders(const TADCachedFile& file);

  const std::shared_ptr<TADCachedFile>& adHTML() const { return adHTML_; }
  std::optional<std::string> adHTMLString() const {
    return adHTML_ ? adHTML_->content() : std::nullopt;
  }
  // The page's address after redirects.
  std::optional<base::URL> adHTMLBaseURL() const;
  // The refresh period that the page's latest answer names, when it carries the header.
  std::optional<double> refreshSeconds() const;
  const std::vector<base::URL>& pendingTrackingURLs() const { return pendingTrackingURLs_; }
  const std::vector<base::URL>& pendingClickURLs() const { return pendingClickURLs_; }
  TADOrientations supportedOrientations() const { return supportedOrientations_; }

 private:
  void setAdHTML(std::shared_ptr<TADCachedFile> file);

  std::shared_ptr<TADCachedFile> adHTML_;
  std::vector<base::URL> pendingTrackingURLs_;
  std::vector<base::URL> pendingClickURLs_;
  TADOrientations supportedOrientations_ = TADOrientations::Any;
};
