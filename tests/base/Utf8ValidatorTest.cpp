#include "base/Utf8Validator.h"

#include <gtest/gtest.h>

#include <string>

namespace base {
namespace {

TEST(Utf8ValidatorTest, AcceptsWellFormedText) {
  for (std::string text :
       {std::string(), std::string("plain ascii that is longer than one word"),
        std::string("\0", 1), std::string("\xc2\x80\xdf\xbf"),
        std::string("\xe0\xa0\x80\xef\xbf\xbf"), std::string("\xed\x9f\xbf\xee\x80\x80"),
        std::string("\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"),
        std::string("12345678\xc3\xa9"
                    "abcdefgh")}) {
    EXPECT_TRUE(Utf8Validator::isValid(text)) << text;
  }
}

TEST(Utf8ValidatorTest, RefusesMalformedText) {
  for (std::string text :
       {std::string("\x80"), std::string("\xc0\xaf"), std::string("\xc1\xbf"),
        std::string("\xe0\x9f\xbf"), std::string("\xed\xa0\x80"), std::string("\xf0\x8f\xbf\xbf"),
        std::string("\xf4\x90\x80\x80"), std::string("\xf5\x80\x80\x80"), std::string("\xff"),
        std::string("abcdefgh\xc3"), std::string("\xe2\x82"), std::string("\xe2\x28\xa1"),
        std::string("12345678901234\xf0\x9f\x98")}) {
    EXPECT_FALSE(Utf8Validator::isValid(text)) << text;
  }
}

}  // namespace
}  // namespace base
