#include "platform/net/HTTPHeaderFields.h"

#include <gtest/gtest.h>

#include "platform/net/URLResponse.h"

namespace platform {
namespace {

TEST(HTTPHeaderFieldsTest, NamesIgnoreCaseRepeatsJoinAndSetKeepsThePlace) {
  HTTPHeaderFields fields{{"Content-Type", "text/plain"}, {"Cache-Control", "no-cache"}};
  fields.add("cache-control", "no-store");
  EXPECT_EQ(fields.value("CACHE-CONTROL"), "no-cache, no-store");
  fields.set("content-type", "text/html");
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(*fields.begin(), (HTTPHeaderFields::Field{"Content-Type", "text/html"}));
  fields.remove("CONTENT-TYPE");
  EXPECT_FALSE(fields.contains("Content-Type"));
  EXPECT_EQ(fields.value("Missing"), std::nullopt);
}

TEST(HTTPHeaderFieldsTest, ExpectedContentLengthIsMinusOneUnlessAPlainNumber) {
  auto url = *base::URL::fromString("http://h/a");
  auto length = [&](HTTPHeaderFields headers) {
    return URLResponse::http(url, 200, std::move(headers)).expectedContentLength();
  };
  EXPECT_EQ(length({{"content-length", "1234"}}), 1234);
  EXPECT_EQ(length({}), -1);
  EXPECT_EQ(length({{"Content-Length", "12x"}}), -1);
  EXPECT_EQ(length({{"Content-Length", "-5"}}), -1);
  EXPECT_EQ(length({{"Content-Length", "-0"}}), -1);
  EXPECT_EQ(length({{"Content-Length", "5, 5"}}), -1);  // given twice, joined
}

}  // namespace
}  // namespace platform
