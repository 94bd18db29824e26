#include "ads/Object/TADAdPage.h"

#include "ads/Object/TADAdPageHeaders.h"
#include "platform/storage/UserDefaults.h"

void TADAdPage::loadHTMLFromURL(std::weak_ptr<TADCachedFileDelegate> delegate,
                                const base::URL& url) {
  auto page = TADCachedFile::initWithDelegate(std::move(delegate), url);
  // Each ad fetches its page anew, and its copy is deleted when the next ad replaces it: a copy
  // that is not meant to outlive the process is not worth two flushes to disk on every ad.
  page->setDurable(false);
  setAdHTML(std::move(page));
}

void TADAdPage::setAdHTML(std::shared_ptr<TADCachedFile> file) {
  if (file == adHTML_) return;
  if (adHTML_) {
    adHTML_->setDelegate({});
    adHTML_->invalidate();
    adHTML_.reset();
  }
  adHTML_ = std::move(file);
  if (adHTML_) adHTML_->validate();
  pendingTrackingURLs_.clear();
  pendingClickURLs_.clear();
}

void TADAdPage::processHTTPHeaders(const TADCachedFile& file) {
  if (!file.httpHeaders()) return;
  TADAdPageHeaders headers(*file.httpHeaders());
  headers.appendTrackingURLs(pendingTrackingURLs_);
  headers.appendClickTrackingURLs(pendingClickURLs_);
  if (TADOrientations orientations = headers.orientations();
      orientations != TADOrientations::None) {
    supportedOrientations_ = orientations;
  }
  if (std::optional<float> timeout = headers.interstitialTimeout()) {
    platform::UserDefaults::standard().setObject("applicationTimeout", base::Value(*timeout));
  }
}

std::optional<base::URL> TADAdPage::adHTMLBaseURL() const {
  return adHTML_ ? std::optional<base::URL>(adHTML_->httpDestinationURL()) : std::nullopt;
}

std::optional<double> TADAdPage::refreshSeconds() const {
  if (!adHTML_ || !adHTML_->httpHeaders()) return std::nullopt;
  return TADAdPageHeaders(*adHTML_->httpHeaders()).refreshSeconds();
}
