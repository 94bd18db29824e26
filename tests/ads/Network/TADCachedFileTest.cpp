#include "ads/Network/TADCachedFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Network/TADHTTPDate.h"
#include "platform/net/URLError.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/FolderFlushes.h"
#include "tests/support/LibraryStateGuard.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using platform::HTTPHeaderFields;
using platform::URLError;
using Reply = platform::sim::SimURLLoading::Reply;
using Storage = TADCachedFile::Storage;

constexpr const char* kScript = "http://ads.example/avmo/script.js";
constexpr const char* kLastModified = "Sun, 06 Nov 1994 08:49:37 GMT";
constexpr int64_t kLastModifiedSeconds = 784111777;

// Writes down what the file tells it, as short texts, and vetoes the redirects it is told to.
class RecordingDelegate : public TADCachedFileDelegate {
 public:
  std::vector<std::string> events;
  std::optional<base::Error> lastError;
  std::function<base::Expected<void>(const base::URL&)> redirectDecision;
  std::function<void(TADCachedFile&)> onEnd;

  void cachedFileDownloadDidFail(TADCachedFile&, const std::optional<base::Error>& error) override {
    lastError = error;
    events.push_back(error ? "fail " + std::to_string(error->code()) : "fail");
  }
  void cachedFileDownloadDidEnd(TADCachedFile& file) override {
    events.push_back("end");
    if (onEnd) onEnd(file);
  }
  base::Expected<void> cachedFileShouldRedirectToURL(TADCachedFile&,
                                                     const base::URL& url) override {
    events.push_back("redirect " + url.absoluteString());
    return redirectDecision ? redirectDecision(url) : base::Expected<void>();
  }
};

class TADCachedFileTest : public ::testing::Test {
 protected:
  TADCachedFileTest() { platform_.setCachesDirectory(caches_.path()); }

  std::shared_ptr<TADCachedFile> file(const char* url = kScript,
                                      Storage storage = Storage::HostFolder) {
    return TADCachedFile::initWithDelegate(delegate_, *base::URL::fromString(url), storage);
  }
  size_t filesInCaches() const {
    auto files = std::filesystem::recursive_directory_iterator(caches_.path());
    return std::count_if(begin(files), end(files),
                         [](const auto& e) { return e.is_regular_file(); });
  }
  platform::sim::SimURLLoading& server() { return platform_.urlLoading(); }
  const platform::URLRequest& sent(size_t index) { return server().sentRequests().at(index); }
  void run() { platform_.runLoop().runUntilIdle(); }

  // A server that answers a conditional request with 304 (and a body that is not the copy's), and
  // any other with the body dated kLastModified.
  void serveConditionally(const char* url, std::string body) {
    server().route(url, [body](const platform::URLRequest& request) {
      if (request.valueForHTTPHeaderField("If-Modified-Since"))
        return Reply::withStatus(304, {}, "not for the copy");
      return Reply::ok(body, {{"Last-Modified", kLastModified}});
    });
  }

  static int64_t modificationSeconds(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtim.tv_sec : -1;
  }
  static void writeCopy(const std::string& path, const std::string& text, int64_t seconds) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
    timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimes(path.c_str(), times);
  }

  platform::sim::SimPlatform platform_;
  test_support::TemporaryFolder caches_;
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
};

TEST_F(TADCachedFileTest, AFirstFetchStoresTheBodyDatedByLastModifiedAndTheNextOneSendsItBack) {
  serveConditionally(kScript, "function build() {}");
  test_support::LibraryStateGuard state;
  TADNetworkUtilities::setUserAgentString("TestAgent/1.0");
  auto script = file();
  EXPECT_FALSE(script->hasContent());
  script->validate();
  run();

  EXPECT_EQ(delegate_->events, std::vector<std::string>{"end"});
  EXPECT_EQ(sent(0).valueForHTTPHeaderField("User-Agent"), "TestAgent/1.0");
  EXPECT_FALSE(sent(0).valueForHTTPHeaderField("If-Modified-Since"));
  EXPECT_EQ(sent(0).cachePolicy(), platform::URLRequest::CachePolicy::ReloadIgnoringLocalCacheData);
  EXPECT_TRUE(sent(0).HTTPShouldHandleCookies());
  EXPECT_EQ(script->content(), "function build() {}");
  EXPECT_EQ(modificationSeconds(*script->filePath()), kLastModifiedSeconds);
  EXPECT_EQ(script->fileModificationDate(), "Sun, 06 Nov 1994 08:49:37");
  EXPECT_EQ(script->httpStatusCode(), 200);
  EXPECT_FALSE(script->isFetching());

  script->validate();
  run();
  EXPECT_EQ(sent(1).valueForHTTPHeaderField("If-Modified-Since"), kLastModified);
  // Not modified: the copy is confirmed and left as it was.
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"end", "end"}));
  EXPECT_EQ(script->httpStatusCode(), 304);
  EXPECT_EQ(script->content(), "function build() {}");
  EXPECT_EQ(modificationSeconds(*script->filePath()), kLastModifiedSeconds);
  EXPECT_EQ(server().activeConnectionCount(), 0u);
}

TEST_F(TADCachedFileTest, AnUnwelcomeStatusFailsWithoutErrorKeepingStatusHeadersAndTheOldCopy) {
  auto page = file();
  writeCopy(*page->filePath(), "old page", kLastModifiedSeconds);
  server().route(kScript, Reply::withStatus(404, {{"X-Reason", "gone"}}, "not here"));
  page->validate();
  run();

  EXPECT_EQ(delegate_->events, std::vector<std::string>{"fail"});
  EXPECT_EQ(page->httpStatusCode(), 404);
  ASSERT_TRUE(page->httpHeaders());
  EXPECT_EQ(page->httpHeaders()->value("x-reason"), "gone");
  EXPECT_EQ(page->content(), "old page");
}

TEST_F(TADCachedFileTest, ARedirectChainEndsAtTheLastRequestWithTheLastAnswersHeaders) {
  server().route("http://a.example/start", Reply::redirect("/middle"));
  server().route("http://a.example/middle", Reply::redirect("http://b.example/end", 301));
  server().route("http://b.example/end",
                 Reply::ok("<html>ad</html>", {{"X-Avmo-Refresh-Rate", "30"}}));
  auto page = file("http://a.example/start");
  page->validate();
  run();

  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"redirect http://a.example/middle",
                                                         "redirect http://b.example/end", "end"}));
  EXPECT_EQ(page->httpDestinationURL().absoluteString(), "http://b.example/end");
  EXPECT_EQ(page->httpHeaders()->value("X-Avmo-Refresh-Rate"), "30");
  EXPECT_FALSE(page->httpHeaders()->contains("Location"));
  EXPECT_EQ(page->content(), "<html>ad</html>");
  // The copy is named after the address asked for, not where it ended.
  EXPECT_EQ(std::filesystem::path(*page->filePath()).parent_path().filename(), "a.example");
}

TEST_F(TADCachedFileTest, AVetoOnTheSecondHopStopsTheFetchWithTheVetoAndWritesNothing) {
  server().route("http://a.example/start", Reply::redirect("/middle"));
  server().route("http://a.example/middle", Reply::redirect("itms://store/app"));
  // The redirect answer's headers are readable while the delegate decides.
  auto page = file("http://a.example/start");
  delegate_->redirectDecision = [page = std::weak_ptr(page)](const base::URL& url) {
    EXPECT_TRUE(page.lock()->httpHeaders()->contains("Location"));
    return url.scheme() == "itms" ? base::Expected<void>(base::Error("test.veto", 42))
                                  : base::Expected<void>();
  };
  page->validate();
  run();

  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"redirect http://a.example/middle",
                                                         "redirect itms://store/app", "fail 42"}));
  EXPECT_EQ(delegate_->lastError->domain(), "test.veto");
  EXPECT_EQ(page->httpDestinationURL().absoluteString(), "itms://store/app");
  EXPECT_EQ(page->httpHeaders()->value("Location"), "itms://store/app");
  EXPECT_FALSE(page->hasContent());
  EXPECT_EQ(server().sentRequests().size(), 2u);
  EXPECT_EQ(server().activeConnectionCount(), 0u);
}

TEST_F(TADCachedFileTest, ValidateDuringAFetchStartsNothingAndCancelOrInvalidateSilencesIt) {
  server().route(kScript, Reply::ok("late").after(5));
  auto script = file();
  script->validate();
  script->validate();
  script->validateWithCacheBuster();
  run();
  EXPECT_EQ(server().createdConnectionCount(), 1u);
  EXPECT_TRUE(script->isFetching());

  script->cancel();
  platform_.runLoop().advance(10);
  EXPECT_TRUE(delegate_->events.empty());
  EXPECT_FALSE(script->hasContent());
  EXPECT_EQ(server().activeConnectionCount(), 0u);

  script->validate();
  platform_.runLoop().advance(10);
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"end"});

  // Invalidate stops a fetch as cancel does, and deletes the copy too.
  script->validate();
  script->invalidate();
  platform_.runLoop().advance(10);
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"end"});
  EXPECT_FALSE(script->hasContent());
}

TEST_F(TADCachedFileTest, TheCacheBusterAddsTheWholeSecondsOfNowAsUnique) {
  server().setFallback([](const platform::URLRequest&) { return Reply::ok("x"); });
  platform_.clock().setNow(base::Date(788918400.6));
  auto withQuery = file("http://a.example/p?x=1");
  auto withoutQuery = file("http://a.example/q");
  withQuery->validateWithCacheBuster();
  withoutQuery->validateWithCacheBuster();
  run();
  EXPECT_EQ(sent(0).url().absoluteString(), "http://a.example/p?x=1&unique=788918401");
  EXPECT_EQ(sent(1).url().absoluteString(), "http://a.example/q?unique=788918401");
}

// Two addresses that an earlier naming, by a 32-bit hash, gave one copy.
constexpr const char* kOnceShared[] = {"http://click.talvik.test/c?t=first",
                                       "http://click.talvik.test/c?t=s96aezh"};

// A host that is no safe folder name gets one that stays in the caches.
TEST_F(TADCachedFileTest, EachHostHasAFolderAndEachURLAFileNamedByTheDigestOfItsText) {
  const std::pair<const char*, const char*> named[] = {
      {"http://ads.example/a",
       "ads.example/22dec727a908a8c2b4cdbd2e4d1b44d9755c7baee0790b96035950b1a5a5730d"},
      {kOnceShared[0],
       "click.talvik.test/14e88a8a12c0ab630ed19ae41f912bbeb3e61214d8e2849df9e16841b07d253f"},
      {kOnceShared[1],
       "click.talvik.test/0b5ba3ded30ae98017b35ff86f29dc315deb64e13c589ca274e948dfb969bdbd"}};
  for (auto [url, name] : named)
    EXPECT_EQ(*file(url)->filePath(), caches_ / name);
  for (const char* url : {"http://../x", "http://./x", "http:///x", "http://a%2F..%2Fb/x",
                          "http://a%00b/x", "http://%2E%2E/x"}) {
    SCOPED_TRACE(url);
    std::optional<base::URL> parsed = base::URL::fromString(url);
    ASSERT_TRUE(parsed);
    auto unsafe = TADCachedFile::initWithDelegate(delegate_, *parsed);
    std::filesystem::path path = *unsafe->filePath();
    EXPECT_EQ(path.parent_path(), std::filesystem::path(caches_ / "_unnamed-host"));
  }
}

// However the page script's address is reached, only a file made for the page script writes its
// copy; a file that keeps nothing writes nothing, sends no date, and deletes nothing either.
TEST_F(TADCachedFileTest, ThePageScriptsCopyIsApartAndABodyNotKeptLeavesNoTrace) {
  serveConditionally(kScript, "function build() {}");
  auto script = file(kScript, Storage::PageScript);
  script->validate();
  run();
  ASSERT_EQ(script->content(), "function build() {}");
  EXPECT_EQ(std::filesystem::path(*script->filePath()).parent_path(),
            std::filesystem::path(caches_ / "@page-script"));

  server().route(kScript, Reply::ok("stolen()"));
  auto page = file(kScript);
  auto unkept = file(kScript, Storage::None);
  unkept->validate();
  run();
  EXPECT_EQ(sent(1).valueForHTTPHeaderField("If-Modified-Since"), std::nullopt);
  EXPECT_EQ(filesInCaches(), 1u);
  page->validate();
  run();
  EXPECT_EQ(page->content(), "stolen()");
  unkept->invalidate();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"end", "end", "end"}));
  EXPECT_FALSE(unkept->filePath());
  EXPECT_EQ(script->content(), "function build() {}");
  EXPECT_EQ(filesInCaches(), 2u);
}

// The page script's address changes with the ad network's origin: a new script's copy replaces
// the copies of earlier addresses, and nothing else in its folder or beside it goes.
TEST_F(TADCachedFileTest, ANewPageScriptsCopyReplacesThoseOfEarlierAddresses) {
  constexpr const char* kMovedScript = "http://ads.example:8080/avmo/script.js";
  server().route(kScript, Reply::ok("first()"));
  server().route(kMovedScript, Reply::ok("moved()"));
  auto first = file(kScript, Storage::PageScript);
  auto page = file(kScript);
  first->validate();
  page->validate();
  run();
  std::ofstream(std::filesystem::path(*first->filePath()).parent_path() / "notes") << "kept";
  auto moved = file(kMovedScript, Storage::PageScript);
  moved->validate();
  run();
  EXPECT_FALSE(first->hasContent());
  EXPECT_EQ(moved->content(), "moved()");
  EXPECT_EQ(page->content(), "first()");
  EXPECT_EQ(filesInCaches(), 3u);
}

// Abandoned temporaries and copies under the names of the 32-bit naming go; nothing else does,
// nor anything outside the caches folder.
TEST_F(TADCachedFileTest, AMinuteOldTemporariesAndCopiesUnderOldNamesAreRemoved) {
  namespace fs = std::filesystem;
  test_support::TemporaryFolder elsewhere;
  const fs::path host = caches_ / "other.example";
  const fs::path abandoned = host / "1a2b3c.saving-Ab12cD";
  const fs::path recent = host / "1a2b3c.saving-Zz99yY";
  const fs::path oldCopy = host / "4d5e6f";
  const fs::path oldCopyElsewhere = caches_ / "ads.example/d08afa97";
  const fs::path copy = host / "22dec727a908a8c2b4cdbd2e4d1b44d9755c7baee0790b96035950b1a5a5730d";
  const fs::path notOurs = host / "notes.saving-long-suffix";
  const fs::path notOldNames[] = {host / "0abc", host / "123456789", host / "4D5E6F"};
  const fs::path outside = elsewhere / "4d5e6f";
  for (const fs::path& name : {abandoned, recent, oldCopy, oldCopyElsewhere, copy, notOurs,
                               notOldNames[0], notOldNames[1], notOldNames[2], outside})
    writeCopy(name.string(), "x", kLastModifiedSeconds);
  fs::last_write_time(recent, fs::file_time_type::clock::now());
  fs::create_directory_symlink(elsewhere.path(), caches_ / "linked.example");

  serveConditionally(kScript, "body");
  auto script = file();
  script->validate();
  run();
  ASSERT_EQ(delegate_->events, std::vector<std::string>{"end"});
  EXPECT_FALSE(fs::exists(abandoned));
  EXPECT_FALSE(fs::exists(oldCopy));
  EXPECT_FALSE(fs::exists(oldCopyElsewhere));
  for (const fs::path& kept :
       {recent, copy, notOurs, notOldNames[0], notOldNames[1], notOldNames[2], outside}) {
    EXPECT_TRUE(fs::exists(kept)) << kept;
  }
}

TEST_F(TADCachedFileTest, WithoutACachesFolderThereIsNoCopyAndAFinishedFetchFails) {
  platform_.setCachesDirectory(std::nullopt);
  server().route(kScript, Reply::ok("body"));
  auto script = file();
  EXPECT_FALSE(script->filePath());
  EXPECT_FALSE(script->hasContent());
  EXPECT_FALSE(script->content());
  EXPECT_FALSE(script->fileModificationDate());
  script->validate();
  run();
  ASSERT_EQ(delegate_->events.size(), 1u);
  EXPECT_TRUE(delegate_->events[0].starts_with("fail "));

  platform_.setCachesDirectory(caches_.path());  // asked again
  EXPECT_TRUE(script->filePath());
}

TEST_F(TADCachedFileTest,
       WithoutAConnectionTheFetchFailsAtOnceAndAConnectionErrorOrTheTimeLimitFailsWithIt) {
  platform_.setURLLoadingAvailable(false);
  auto script = file();
  script->validate();
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"fail"});
  EXPECT_FALSE(script->isFetching());

  platform_.setURLLoadingAvailable(true);
  server().route(kScript, Reply::fail(URLError::TimedOut));
  script->validate();
  run();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"fail", "fail -1001"}));
  EXPECT_EQ(delegate_->lastError->domain(), URLError::kDomain);
  EXPECT_EQ(script->httpStatusCode(), 0);

  // A silent server fails it the same way at the time limit.
  server().route(kScript, Reply::ok("late").after(30));
  EXPECT_EQ(script->timeoutInterval(), 60);
  script->setTimeoutInterval(2);
  script->validate();
  platform_.runLoop().advance(1.9);
  EXPECT_EQ(delegate_->events.size(), 2u);
  platform_.runLoop().advance(0.2);
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"fail", "fail -1001", "fail -1001"}));
}

TEST_F(TADCachedFileTest, AFailedWriteFailsWithTheWriteErrorAndKeepsNoHalfFile) {
  server().route(kScript, Reply::ok("body"));
  auto script = file();
  // The host's folder is taken by a file, so the copy cannot be written.
  std::ofstream(std::filesystem::path(*script->filePath()).parent_path()) << "in the way";
  script->validate();
  run();
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"fail " + std::to_string(ENOTDIR)});
  EXPECT_FALSE(script->hasContent());
}

TEST_F(TADCachedFileTest, AnUnreadableLastModifiedLeavesTheWriteTime) {
  server().route(kScript, Reply::ok("x", {{"Last-Modified", "yesterday GMT"}}));
  auto script = file();
  int64_t before = std::time(nullptr);
  script->validate();
  run();
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"end"});
  EXPECT_GE(modificationSeconds(*script->filePath()), before);
}

TEST_F(TADCachedFileTest, BodiesAndRedirectChainsHaveALimit) {
  std::string tooLarge(TADCachedFile::kMaximumBodyBytes + 1, 'a');
  server().route("http://big.example/piecemeal", Reply::ok(tooLarge).inPieces(1024 * 1024));
  server().route("http://big.example/announced",
                 Reply::ok("small", {{"Content-Length", std::to_string(tooLarge.size())}}));
  // /hop/N redirects to /hop/N+1; /hop/20 answers.
  server().setFallback([](const platform::URLRequest& request) {
    int hop = std::stoi(request.url().path().substr(5));
    return hop < TADCachedFile::kMaximumRedirects
               ? Reply::redirect("/hop/" + std::to_string(hop + 1))
               : Reply::ok("arrived");
  });
  auto piecemeal = file("http://big.example/piecemeal");
  piecemeal->validate();
  auto announced = file("http://big.example/announced");
  announced->validate();
  auto twenty = file("http://loop.example/hop/0");
  twenty->validate();
  auto tooMany = file("http://loop.example/hop/-1");
  tooMany->validate();
  run();

  std::vector<std::string> fails;
  for (const auto& event : delegate_->events)
    if (event.starts_with("fail")) fails.push_back(event);
  std::sort(fails.begin(), fails.end());
  EXPECT_EQ(fails, (std::vector<std::string>{"fail -1007", "fail -1103", "fail -1103"}));
  EXPECT_EQ(twenty->content(), "arrived");
  EXPECT_FALSE(tooMany->hasContent());
  EXPECT_EQ(server().activeConnectionCount(), 0u);
}

TEST_F(TADCachedFileTest, TheDelegateMayFetchAgainOrLetTheFileGoFromItsCallbacks) {
  serveConditionally(kScript, "x");
  auto script = file();
  int ends = 0;
  delegate_->onEnd = [&](TADCachedFile& file) {
    if (++ends == 1) file.validate();  // a new fetch, not swallowed by the one ending
  };
  script->validate();
  run();
  EXPECT_EQ(ends, 2);

  delegate_->onEnd = [&](TADCachedFile&) { script.reset(); };
  script->validate();
  run();
  EXPECT_FALSE(script);
  EXPECT_EQ(server().activeConnectionCount(), 0u);

  auto unheard = file();  // a delegate that is gone hears nothing
  unheard->validate();
  delegate_.reset();
  run();
  EXPECT_TRUE(unheard->hasContent());
}

// Only a durable copy is flushed; one that is not still replaces the old copy whole, leaving no
// temporary file, and goes with invalidate.
TEST_F(TADCachedFileTest, OnlyADurableCopyIsFlushedToDiskAndEitherIsReplacedWhole) {
  constexpr const char* kPage = "http://ads.example/ad?slot=1";
  server().route(kScript, Reply::ok("script"));
  server().route(kPage, Reply::ok("new page"));
  auto script = file();
  auto page = file(kPage);
  page->setDurable(false);
  writeCopy(*page->filePath(), "old page", kLastModifiedSeconds);
  test_support::FolderFlushes flushes;
  script->validate();
  run();
  EXPECT_EQ(flushes.made(), 1);
  page->validate();
  run();
  EXPECT_EQ(flushes.made(), 1);
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"end", "end"}));
  EXPECT_EQ(page->content(), "new page");
  page->invalidate();
  EXPECT_FALSE(page->hasContent());
  const auto folder = std::filesystem::path(*script->filePath()).parent_path();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(TADHTTPDateTest, WritesAndReadsTheFixedEnglishFormInUTCAndRefusesOtherShapes) {
  for (auto [seconds, text] : {std::pair<int64_t, const char*>{0, "Thu, 01 Jan 1970 00:00:00"},
                               {kLastModifiedSeconds, "Sun, 06 Nov 1994 08:49:37"},
                               {951782400, "Tue, 29 Feb 2000 00:00:00"},
                               {-1, "Wed, 31 Dec 1969 23:59:59"},
                               {253402300799, "Fri, 31 Dec 9999 23:59:59"}}) {
    EXPECT_EQ(TADHTTPDate::format(seconds), text);
    EXPECT_EQ(TADHTTPDate::parse(text), seconds);
  }
  EXPECT_EQ(TADHTTPDate::parse("Sun, 06 Nov 1994 08:49:37 \t"), kLastModifiedSeconds);
  for (const char* text :
       {"", "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37",
        "Sun Nov  6 08:49:37 1994", " Sun, 06 Nov 1994 08:49:37", "Sun, 6 Nov 1994 08:49:37",
        "Sun, 06 nov 1994 08:49:37", "Xyz, 06 Nov 1994 08:49:37", "Mon, 29 Feb 1999 00:00:00",
        "Mon, 01 Jan 2001 24:00:00", "Mon, 01 Jan 2001 23:60:00", "Mon, 01 Jan 2001 23:00",
        "Fri, 31 Dec 9999 23:59:60"}) {
    EXPECT_EQ(TADHTTPDate::parse(text), std::nullopt) << text;
  }
}

}  // namespace
