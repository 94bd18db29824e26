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
  if (file == file_) return;
  if (file_) {
    file_->setDelegate({});
    file_->invalidate();
    file_.reset();
  }
  file_ = std::move(file);
  if (file_) file_->validate();
  trackingURLs_.clear();
  clickURLs_.clear();
}

void TADAdPage::processHTTPHeaders(const TADCachedFile& file) {
  if (!file.httpHeaders()) return;
  TADAdPageHeaders headers(*file.httpHeaders());
  headers.appendTrackingURLs(trackingURLs_);
  headers.appendClickTrackingURLs(clickURLs_);
  if (TADOrientations orientations = headers.orientations();
      orientations != TADOrientations::None) {
    orientations_ = orientations;
  }
  if (std::optional<float> timeout = headers.interstitialTimeout()) {
    platform::UserDefaults::standard().setObject("applicationTimeout", base::Value(*timeout));
  }
}

std::optional<base::URL> TADAdPage::baseURL() const {
  return file_ ? std::optional<base::URL>(file_->httpDestinationURL()) : std::nullopt;
}

std::optional<double> TADAdPage::refreshSeconds() const {
  if (!file_ || !file_->httpHeaders()) return std::nullopt;
  return TADAdPageHeaders(*file_->httpHeaders()).refreshSeconds();
}
