#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/Network/TADCachedFileDelegate.h"
#include "base/URL.h"
#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/URLConnection.h"

// One remote file kept as a local copy in the caches folder and brought up to date over HTTP
// with a conditional GET: the copy's modification time carries the server's "Last-Modified" date
// and goes back as "If-Modified-Since", so an unchanged file costs a 304 and no body. It is also
// the library's general fetcher: it keeps the URL of the last request sent (after redirects), the
// last status code and the header fields of the last answer (redirect answers included), and lets
// its delegate decide each redirect.
//
// Where the body goes is fixed at creation (Storage): a copy in the URL's host folder, a copy in
// the page script's own folder, or nowhere. The copies live at <caches>/<folder>/<digest>
// (TADCachePath.h). The first time a copy is written in each caches folder in a run, temporary
// files of writes cut short (see base::writeFileAtomically) that are a minute old, and copies
// named as an earlier version named them, are removed from its folders.
//
// Idle until validate starts a fetch; fetching until the delegate has been told how it ended, or
// until cancel or invalidate (which tell the delegate nothing). Bodies over kMaximumBodyBytes and
// chains of more than kMaximumRedirects redirects end the fetch as failed. Everything runs on the
// main run loop. The delegate is observed, not owned, and never hears from a file that has gone;
// it may let the file go from within its callbacks.
class TADCachedFile : public platform::URLConnectionDelegate,
                      public std::enable_shared_from_this<TADCachedFile> {
  struct Passkey {};

 public:
  static constexpr size_t kMaximumBodyBytes = 8 * 1024 * 1024;
  static constexpr int kMaximumRedirects = 20;

  // What becomes of a fetched body.
  enum class Storage {
    // A copy in the URL's host folder: ad pages and whatever else an ad names.
    HostFolder,
    // A copy in the page script's folder, which no other storage writes.
    PageScript,
    // Read and dropped as it arrives: no copy and no path, so no conditional request either.
    None,
  };

  // Starts nothing. The copy is written durably unless setDurable(false) says otherwise.
  static std::shared_ptr<TADCachedFile> initWithDelegate(
      std::weak_ptr<TADCachedFileDelegate> delegate, const base::URL& url,
      Storage storage = Storage::HostFolder);
  TADCachedFile(Passkey, std::weak_ptr<TADCachedFileDelegate> delegate, const base::URL& url,
                Storage storage);
  ~TADCachedFile() override;
  TADCachedFile(const TADCachedFile&) = delete;
  TADCachedFile& operator=(const TADCachedFile&) = delete;

  std::shared_ptr<TADCachedFileDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TADCachedFileDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  const base::URL& sourceURL() const { return sourceURL_; }
  Storage storage() const { return storage_; }
  // The URL of the last request sent; the source URL until a fetch starts.
  const base::URL& httpDestinationURL() const { return httpDestinationURL_; }
  // 0 until an HTTP answer arrives.
  int httpStatusCode() const { return httpStatusCode_; }
  // None until an HTTP answer arrives.
  const std::optional<platform::HTTPHeaderFields>& httpHeaders() const { return httpHeaders_; }

  // None with Storage::None, and while the platform has no caches folder (asked again next time).
  std::optional<std::string> filePath();
  // The copy's modification time as HTTP date text without zone; none without a copy.
  std::optional<std::string> fileModificationDate();
  bool hasContent();
  // The copy as text; none when there is none or it is not UTF-8.
  std::optional<std::string> content();

  // Start a fetch unless one is running; the second adds the current time as "unique" to the
  // query so that no cache on the way can answer.
  void validate();
  void validateWithCacheBuster();
  // Starts a fetch, dropping one that is running.
  void beginFetchWithCacheBuster(bool cacheBuster);
  bool isFetching() const { return connection_ != nullptr; }
  // Whether a written copy is flushed to disk, file and folder, so that it survives a power loss
  // (base::writeFileAtomically); true unless set. Without it a copy is still replaced in one step
  // for readers, two flushes cheaper, but a power loss may leave it empty or torn: for copies that
  // are fetched anew and not trusted after a restart.
  bool isDurable() const { return durable_; }
  void setDurable(bool durable) { durable_ = durable; }
  // Seconds the server may stay silent before a fetch fails; 60 unless set.
  double timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }
  // Default unless set; see platform::URLRequest.
  platform::URLRequest::NetworkServiceType networkServiceType() const { return serviceType_; }
  void setNetworkServiceType(platform::URLRequest::NetworkServiceType type) { serviceType_ = type; }
  // Stops a running fetch and drops what it received.
  void cancel();
  // cancel, then deletes the local copy.
  void invalidate();

  // "<TADCachedFile: 0x…> HTTP code: 200\n\turl: <source URL>\n\tfile: <path>"
  std::string description();

  // The connection's callbacks.
  std::optional<platform::URLRequest> connectionWillSendRequest(
      platform::URLConnection& connection, const platform::URLRequest& request,
      const platform::URLResponse* redirectResponse) override;
  void connectionDidReceiveResponse(platform::URLConnection& connection,
                                    const platform::URLResponse& response) override;
  void connectionDidReceiveData(platform::URLConnection& connection,
                                std::span<const uint8_t> data) override;
  void connectionDidFinishLoading(platform::URLConnection& connection) override;
  void connectionDidFailWithError(platform::URLConnection& connection,
                                  const base::Error& error) override;

 private:
  void saveHeadersFromResponse(const platform::URLResponse& response);
  void cleanUpConnection();
  // Ends the fetch (clean-up first, so that the delegate may start another) and tells the
  // delegate.
  void endWithFailure(const std::optional<base::Error>& error);
  void endWithSuccess();
  bool writeBody(const std::string& path, const std::vector<uint8_t>& body,
                 std::optional<base::Error>& error);
  static void applyModificationDate(const std::string& path, const std::string& lastModified);

  std::weak_ptr<TADCachedFileDelegate> delegate_;
  base::URL sourceURL_;
  Storage storage_;
  std::optional<std::string> filePath_;
  std::shared_ptr<platform::URLConnection> connection_;
  // Stays empty with Storage::None, where only the count is kept.
  std::optional<std::vector<uint8_t>> receivedData_;
  size_t receivedBytes_ = 0;
  std::optional<std::string> receivedModificationDate_;
  base::URL httpDestinationURL_;
  int httpStatusCode_ = 0;
  std::optional<platform::HTTPHeaderFields> httpHeaders_;
  int redirectCount_ = 0;
  bool durable_ = true;
  double timeoutInterval_ = platform::URLRequest::kDefaultTimeoutInterval;
  platform::URLRequest::NetworkServiceType serviceType_ =
      platform::URLRequest::NetworkServiceType::Default;
};
