#include "base/URL.h"

#include <gtest/gtest.h>

#include <tuple>

namespace base {
namespace {

TEST(URLTest, SplitsAnAbsoluteURLIntoItsComponents) {
  auto url = URL::fromString("https://user:pw@ads.example:8443/a/b%20c?x=1&y=2#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(std::tuple(url->scheme(), url->user(), url->password(), url->host(), url->port()),
            std::tuple("https", "user", "pw", "ads.example", 8443));
  EXPECT_EQ(std::tuple(url->path(), url->percentEncodedPath(), url->query(), url->fragment()),
            std::tuple("/a/b c", "/a/b%20c", "x=1&y=2", "top"));
  EXPECT_EQ(url->absoluteString(), "https://user:pw@ads.example:8443/a/b%20c?x=1&y=2#top");
}

TEST(URLTest, AcceptsSchemesWithoutAuthorityAndRelativeReferences) {
  auto mail = URL::fromString("mailto:someone@mail.example?subject=hi");
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->scheme(), "mailto");
  EXPECT_FALSE(mail->hasAuthority());
  EXPECT_EQ(mail->path(), "someone@mail.example");
  auto message = URL::fromString("gmsg://x/click?u=x");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->host(), "x");
  auto relative = URL::fromString("../img/a.png");
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->scheme(), "");
  EXPECT_EQ(URL::fromString("http://[::1]:80/")->host(), "::1");
  EXPECT_EQ(URL::fromString("x?")->query(), "");
  EXPECT_FALSE(URL::fromString("x")->query());
}

TEST(URLTest, ComparesSchemesIgnoringASCIICase) {
  struct Case {
    std::string_view text, scheme;
    bool has;
  } cases[] = {
      {"HTTPS://ads.example/", "https", true}, {"MailTo:someone@mail.example", "mailto", true},
      {"https://ads.example/", "http", false}, {"http://ads.example/", "https", false},
      {"FILE:///tmp/x", "file", true},         {"files:///tmp/x", "file", false},
      {"//ads.example/x", "", true},           {"//ads.example/x", "http", false},
  };
  for (const Case& c : cases) {
    auto url = URL::fromString(c.text);
    ASSERT_TRUE(url) << c.text;
    EXPECT_EQ(url->hasScheme(c.scheme), c.has) << c.text << " / " << c.scheme;
    EXPECT_EQ(url->isFileURL(), c.scheme == "file" && c.has) << c.text;
  }
}

// A web address is the strict question; a click's road to the web asks only the scheme's stem.
TEST(URLTest, AWebURLIsAnHttpOrHttpsAddressWithAHost) {
  struct Case {
    const char* text;
    bool web, httpStem;
  } cases[] = {
      {"http://ads.example", true, true}, {"HTTPS://ads.example:8443/a?b#c", true, true},
      {"http:/etc/passwd", false, true},  {"https:ads.example", false, true},
      {"http:///x", false, true},         {"httpx://ads.example", false, true},
      {"ftp://a", false, false},          {"about:blank", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(URL::fromString(c.text)->isWebURL(), c.web) << c.text;
    EXPECT_EQ(URL::fromString(c.text)->schemeBeginsWithHTTP(), c.httpStem) << c.text;
  }
}

TEST(URLTest, TellsAnHttpOriginFromAddressesThatSayMore) {
  for (const char* origin : {"http://ads.example", "http://ads.example/",
                             "HTTPS://ads.example:8443", "http://127.0.0.1:40905"})
    EXPECT_TRUE(URL::fromString(origin)->isHTTPOrigin()) << origin;
  for (const char* more :
       {"http://ads.example/avmo", "http://ads.example/%2F", "http://ads.example?slot=1",
        "http://ads.example#top", "http://user@ads.example", "http://:secret@ads.example",
        "ftp://ads.example", "ads.example", "http://", "http:ads.example"})
    EXPECT_FALSE(URL::fromString(more) && URL::fromString(more)->isHTTPOrigin()) << more;
}

TEST(URLTest, RefusesTextThatIsNotAURL) {
  for (const char* text : {"", "http://a b/", "http://host/a b", "http://host/%zz",
                           "http://host/%4", "1http://x", "http://host:99999/", "http://host:8o/",
                           "http://[zz]/", "http://host/\xc3\xa9", "a#b#c", "http://host/{x}"}) {
    EXPECT_FALSE(URL::fromString(text)) << text;
  }
}

TEST(URLTest, ResolvesReferencesAgainstABase) {
  auto base = *URL::fromString("http://a/b/c/d;p?q");
  auto resolve = [&](const char* ref) {
    auto url = URL::fromString(ref, base);
    return url ? url->absoluteString() : "<none>";
  };
  const std::pair<const char*, const char*> cases[] = {
      {"g", "http://a/b/c/g"},   {"./g", "http://a/b/c/g"},       {"/g", "http://a/g"},
      {"//g", "http://g"},       {"?y", "http://a/b/c/d;p?y"},    {"#s", "http://a/b/c/d;p?q#s"},
      {"../../g", "http://a/g"}, {"../../../../g", "http://a/g"}, {"itms://x", "itms://x"}};
  for (auto [ref, resolved] : cases)
    EXPECT_EQ(resolve(ref), resolved) << ref;
  // An absolute reference loses its dot segments too; without them, it stays exactly as written.
  EXPECT_EQ(resolve("https://h/x/./y/../z?k#f"), "https://h/x/z?k#f");
  EXPECT_EQ(resolve("HTTP://@h:/a//b"), "HTTP://@h:/a//b");
}

TEST(URLTest, AResolvedPathStartingWithTwoSlashesDoesNotBecomeAnAuthority) {
  auto base = *URL::fromString("foo:bar");
  for (const char* ref : {"/.//x", "/..//x", "foo:/.//x"}) {
    auto url = URL::fromString(ref, base);
    ASSERT_TRUE(url) << ref;
    EXPECT_FALSE(url->hasAuthority()) << ref;
    EXPECT_EQ(url->host(), "") << ref;
    EXPECT_EQ(url->absoluteString(), "foo:/.//x") << ref;
  }
  // Behind an authority, the two slashes are the path's own.
  EXPECT_EQ(URL::fromString("/.//x", *URL::fromString("http://h/a"))->absoluteString(),
            "http://h//x");
}

TEST(URLTest, FileURLsEscapeTheirPath) {
  URL url = URL::fileURLWithPath("/tmp/clips/quor ren#dal.m4a");
  EXPECT_EQ(url.absoluteString(), "file:///tmp/clips/quor%20ren%23dal.m4a");
  EXPECT_EQ(url.path(), "/tmp/clips/quor ren#dal.m4a");
  EXPECT_TRUE(url.isFileURL());
}

}  // namespace
}  // namespace base
