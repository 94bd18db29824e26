#include "base/Error.h"

#include <gtest/gtest.h>

namespace base {
namespace {

TEST(ErrorTest, CarriesItsTextsAndItsChainOfCauses) {
  auto cause = std::make_shared<const Error>(
      "inner", 7, Dictionary{{std::string(Error::kLocalizedDescriptionKey), "deep"}});
  Error error("outer", 3,
              Dictionary{{std::string(Error::kLocalizedDescriptionKey), "top"},
                         {std::string(Error::kLocalizedFailureReasonKey), "why"}},
              cause);
  EXPECT_EQ(error.localizedDescription(), "top");
  EXPECT_EQ(error.localizedFailureReason(), "why");
  EXPECT_EQ(error.underlyingError()->code(), 7);
  EXPECT_EQ(error.description(),
            "Error Domain=outer Code=3 \"top\"\n  caused by: Error Domain=inner Code=7 \"deep\"");
  EXPECT_EQ(Error("d", 2).localizedDescription(),
            "The operation couldn't be completed. (d error 2.)");
}

}  // namespace
}  // namespace base
