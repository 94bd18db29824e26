#include "ads/Request/TADRequestContributors.h"

#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Network/TADNetworkChecker.h"
#include "ads/Statistics/TADStatistics.h"

namespace {

// The library's own sources.
class LibraryContributors : public TADRequestContributors {
 public:
  base::Dictionary deviceParameters() override {
    return TADIdentifierUtilities::sharedInstance().parameters();
  }
  std::optional<std::string> networkTypeString() override {
    return TADNetworkChecker::sharedChecker().networkTypeString();
  }
  base::Dictionary statisticsParameters() override {
    return TADStatistics::sharedStatistics().parameters();
  }
};

std::shared_ptr<TADRequestContributors>& standIn() {
  static std::shared_ptr<TADRequestContributors> contributors;
  return contributors;
}

}  // namespace

TADRequestContributors& TADRequestContributors::current() {
  static LibraryContributors library;
  if (standIn()) return *standIn();
  return library;
}

void TADRequestContributors::setCurrent(std::shared_ptr<TADRequestContributors> contributors) {
  standIn() = std::move(contributors);
}
