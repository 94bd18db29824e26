#include "ads/Network/TADCachedFile.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string_view>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Network/TADCachePath.h"
#include "ads/Network/TADHTTPDate.h"
#include "base/FileIO.h"
#include "base/NumberText.h"
#include "base/Utf8Validator.h"
#include "platform/core/Clock.h"
#include "platform/core/Console.h"
#include "platform/net/URLError.h"
#include "platform/storage/SearchPaths.h"

namespace {

constexpr std::string_view kPOSIXErrorDomain = "NSPOSIXErrorDomain";
// A younger temporary file may belong to a write still running in another process.
constexpr double kAbandonedWriteSeconds = 60;

base::Error posixError(int number, std::string_view what) {
  base::Dictionary info;
  info.set(std::string(base::Error::kLocalizedDescriptionKey),
           std::string(what) + ": " + std::strerror(number));
  return base::Error(std::string(kPOSIXErrorDomain), number, std::move(info));
}

// Copies under names of an earlier version are never read again: only plain files of such a
// name, directly in the folder, go.
void removeStaleCopies(const std::filesystem::path& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file(error) && !entry.is_symlink(error) &&
        TADCachePath::isStaleName(entry.path().filename().native())) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

// The library follows one page script at a time, and its address changes with the ad network's
// (an embedded network takes a new port at each start): a copy of any other address would never
// be read again, and without this one more would be left behind at every start. Only plain files
// with a copy's name go; the folder is the page script's own.
void removeOtherPageScriptCopies(const std::filesystem::path& kept) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kept.parent_path(), error)) {
    if (entry.path() != kept && entry.is_regular_file(error) && !entry.is_symlink(error) &&
        TADCachePath::isCopyName(entry.path().filename().native())) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

// Once per caches folder and run, in every folder of the caches folder itself (never following a
// link out of it): abandoned temporary files and stale copies.
void sweepCaches(const std::string& caches) {
  static std::set<std::string> swept;
  if (!swept.insert(caches).second) return;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(caches, error)) {
    if (entry.is_directory(error) && !entry.is_symlink(error)) {
      base::removeAbandonedWrites(entry.path().string(), {}, kAbandonedWriteSeconds);
      removeStaleCopies(entry.path());
    }
  }
}

}  // namespace

std::shared_ptr<TADCachedFile> TADCachedFile::initWithDelegate(
    std::weak_ptr<TADCachedFileDelegate> delegate, const base::URL& url, Storage storage) {
  return std::make_shared<TADCachedFile>(Passkey{}, std::move(delegate), url, storage);
}

TADCachedFile::TADCachedFile(Passkey, std::weak_ptr<TADCachedFileDelegate> delegate,
                             const base::URL& url, Storage storage)
    : delegate_(std::move(delegate)),
      sourceURL_(url),
      storage_(storage),
      httpDestinationURL_(url) {}

TADCachedFile::~TADCachedFile() {
  delegate_.reset();
  cleanUpConnection();
}

std::optional<std::string> TADCachedFile::filePath() {
  if (filePath_ && !filePath_->empty()) return filePath_;
  if (storage_ == Storage::None) return std::nullopt;
  std::optional<std::string> caches = platform::cachesDirectory();
  if (!caches || caches->empty()) return std::nullopt;
  std::string path = storage_ == Storage::PageScript
                         ? TADCachePath::pageScriptPathForURL(*caches, sourceURL_)
                         : TADCachePath::pathForURL(*caches, sourceURL_);
  if (path.empty()) return std::nullopt;
  filePath_ = std::move(path);
  return filePath_;
}

std::optional<std::string> TADCachedFile::fileModificationDate() {
  std::optional<std::string> path = filePath();
  struct stat info {};
  if (!path || ::stat(path->c_str(), &info) != 0) return std::nullopt;
  return TADHTTPDate::format(info.st_mtim.tv_sec);
}

bool TADCachedFile::hasContent() {
  std::optional<std::string> path = filePath();
  struct stat info {};
  return path && ::stat(path->c_str(), &info) == 0;
}

std::optional<std::string> TADCachedFile::content() {
  std::optional<std::string> path = filePath();
  if (!path) return std::nullopt;
  std::optional<std::string> text = base::readFile(*path);
  if (!text || !base::Utf8Validator::isValid(*text)) return std::nullopt;
  return text;
}

void TADCachedFile::validate() {
  if (!isFetching()) beginFetchWithCacheBuster(false);
}

void TADCachedFile::validateWithCacheBuster() {
  if (!isFetching()) beginFetchWithCacheBuster(true);
}

void TADCachedFile::beginFetchWithCacheBuster(bool cacheBuster) {
  cleanUpConnection();
  base::URL url = sourceURL_;
  if (cacheBuster) {
    std::string seconds =
        base::fixedPoint(platform::Clock::shared().now().timeIntervalSinceReferenceDate(), 0);
    if (auto busted = TADNetworkUtilities::appendQueryKey("unique", base::Value(seconds), url)) {
      url = *busted;
    }
  }
  platform::URLRequest request(url, platform::URLRequest::CachePolicy::ReloadIgnoringLocalCacheData,
                               timeoutInterval_);
  request.setHTTPShouldHandleCookies(true);
  request.setNetworkServiceType(serviceType_);
  std::optional<std::string> userAgent = TADNetworkUtilities::userAgentString();
  if (userAgent && !userAgent->empty()) request.setValue(*userAgent, "User-Agent");
  if (std::optional<std::string> modified = fileModificationDate()) {
    request.setValue(*modified + " GMT", "If-Modified-Since");
  }

  redirectCount_ = 0;
  connection_ = platform::URLConnection::connectionWithRequest(request, weak_from_this());
  if (!connection_) {
    if (auto delegate = delegate_.lock()) delegate->cachedFileDownloadDidFail(*this, std::nullopt);
    return;
  }
  receivedData_.emplace();
}

void TADCachedFile::cancel() {
  cleanUpConnection();
}

void TADCachedFile::invalidate() {
  cleanUpConnection();
  if (std::optional<std::string> path = filePath()) ::unlink(path->c_str());
}

std::string TADCachedFile::description() {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  std::optional<std::string> path = filePath();
  return "<TADCachedFile: " + std::string(address) +
         "> HTTP code: " + std::to_string(httpStatusCode_) +
         "\n\turl: " + sourceURL_.absoluteString() +
         "\n\tfile: " + (path ? *path : std::string("(null)"));
}

std::optional<platform::URLRequest> TADCachedFile::connectionWillSendRequest(
    platform::URLConnection&, const platform::URLRequest& request,
    const platform::URLResponse* redirectResponse) {
  auto self = shared_from_this();
  httpDestinationURL_ = request.url();
  if (!redirectResponse) return request;

  saveHeadersFromResponse(*redirectResponse);
  if (++redirectCount_ > kMaximumRedirects) {
    endWithFailure(platform::URLError::make(platform::URLError::HTTPTooManyRedirects,
                                            request.url().absoluteString()));
    return std::nullopt;
  }
  base::Expected<void> decision;
  if (auto delegate = delegate_.lock()) {
    decision = delegate->cachedFileShouldRedirectToURL(*this, request.url());
  }
  if (decision) return request;
  endWithFailure(decision.error());
  return std::nullopt;
}

void TADCachedFile::saveHeadersFromResponse(const platform::URLResponse& response) {
  if (response.isHTTP()) httpHeaders_ = response.allHeaderFields();
}

void TADCachedFile::connectionDidReceiveResponse(platform::URLConnection&,
                                                 const platform::URLResponse& response) {
  auto self = shared_from_this();
  if (response.isHTTP()) {
    httpStatusCode_ = response.statusCode();
    saveHeadersFromResponse(response);
    if (httpStatusCode_ == 200) {
      receivedModificationDate_ = response.allHeaderFields().value("Last-Modified");
      if (receivedModificationDate_) {
        size_t zone = receivedModificationDate_->find("GMT");
        if (zone != std::string::npos) receivedModificationDate_->resize(zone);
      }
    } else if (httpStatusCode_ == 304) {
      endWithSuccess();
      return;
    } else {
      endWithFailure(std::nullopt);
      return;
    }
  }
  if (response.expectedContentLength() > static_cast<int64_t>(kMaximumBodyBytes)) {
    endWithFailure(platform::URLError::make(platform::URLError::DataLengthExceedsMaximum,
                                            httpDestinationURL_.absoluteString()));
    return;
  }
  if (receivedData_) receivedData_->clear();
  receivedBytes_ = 0;
}

void TADCachedFile::connectionDidReceiveData(platform::URLConnection&,
                                             std::span<const uint8_t> data) {
  if (!receivedData_) return;
  if (receivedBytes_ + data.size() > kMaximumBodyBytes) {
    auto self = shared_from_this();
    endWithFailure(platform::URLError::make(platform::URLError::DataLengthExceedsMaximum,
                                            httpDestinationURL_.absoluteString()));
    return;
  }
  receivedBytes_ += data.size();
  if (storage_ != Storage::None)
    receivedData_->insert(receivedData_->end(), data.begin(), data.end());
}

void TADCachedFile::connectionDidFinishLoading(platform::URLConnection&) {
  auto self = shared_from_this();
  std::vector<uint8_t> body = receivedData_ ? std::move(*receivedData_) : std::vector<uint8_t>{};
  std::optional<std::string> lastModified = std::move(receivedModificationDate_);
  cleanUpConnection();
  if (storage_ == Storage::None) {
    endWithSuccess();
    return;
  }

  std::optional<std::string> path = filePath();
  if (!path) {
    endWithFailure(posixError(ENOENT, "the platform has no caches folder to keep the file in"));
    return;
  }
  if (std::optional<std::string> caches = platform::cachesDirectory()) sweepCaches(*caches);
  std::optional<base::Error> writeError;
  if (!writeBody(*path, body, writeError)) {
    endWithFailure(writeError);
    return;
  }
  // Before the delegate hears of it, so that the copy's date is right when it looks.
  if (lastModified && !lastModified->empty()) applyModificationDate(*path, *lastModified);
  if (storage_ == Storage::PageScript) removeOtherPageScriptCopies(*path);
  endWithSuccess();
}

bool TADCachedFile::writeBody(const std::string& path, const std::vector<uint8_t>& body,
                              std::optional<base::Error>& error) {
  std::error_code ignored;
  std::filesystem::create_directories(base::folderOf(path), ignored);
  std::string_view bytes(reinterpret_cast<const char*>(body.data()), body.size());
  int flushError = 0;
  bool written = durable_ ? base::writeFileAtomically(path, bytes, &flushError)
                          : base::replaceFileUnflushed(path, bytes);
  if (written) {
    if (flushError != 0) {
      platform::Console::log("<Talvik> saved " + path + ", but its folder could not be flushed (" +
                             std::strerror(flushError) + ")");
    }
    return true;
  }
  int number = errno;
  error = posixError(number, "cannot write " + path);
  return false;
}

void TADCachedFile::applyModificationDate(const std::string& path,
                                          const std::string& lastModified) {
  std::optional<int64_t> seconds = TADHTTPDate::parse(lastModified);
  if (!seconds) return;
  timeval times[2] = {{static_cast<time_t>(*seconds), 0}, {static_cast<time_t>(*seconds), 0}};
  ::utimes(path.c_str(), times);
}

void TADCachedFile::connectionDidFailWithError(platform::URLConnection&, const base::Error& error) {
  auto self = shared_from_this();
  endWithFailure(error);
}

void TADCachedFile::endWithFailure(const std::optional<base::Error>& error) {
  cleanUpConnection();
  if (auto delegate = delegate_.lock()) delegate->cachedFileDownloadDidFail(*this, error);
}

void TADCachedFile::endWithSuccess() {
  cleanUpConnection();
  if (auto delegate = delegate_.lock()) delegate->cachedFileDownloadDidEnd(*this);
}

void TADCachedFile::cleanUpConnection() {
  if (connection_) connection_->cancel();
  connection_.reset();
  receivedData_.reset();
  receivedBytes_ = 0;
  receivedModificationDate_.reset();
}
