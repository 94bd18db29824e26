#include "ads/Object/TADPageScript.h"

#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Statistics/TADStatisticsCore.h"
#include "platform/core/Clock.h"

namespace {

constexpr std::string_view kPath = "/avmo/sdk-core-v40.js";
constexpr std::string_view kExpiryRecord = "TADObjectPrivate";
constexpr std::string_view kExpiryKey = "expireDate";

}  // namespace

base::URL TADPageScript::url() {
  return *base::URL::fromString(TADAdNetwork::staticContentOrigin() + std::string(kPath));
}

bool TADPageScript::trustStoredCopyOrRenew(bool hasStoredCopy) {
  TADStatisticsCore record = TADStatisticsCore::initWithIdentifier(std::string(kExpiryRecord));
  const base::Value* stored = record.objectForKey(kExpiryKey);
  std::optional<base::Date> expiry = stored ? stored->asDate() : std::nullopt;
  base::Date now = platform::Clock::shared().now();
  // A date equal to now has not expired yet.
  if (expiry && hasStoredCopy && !(*expiry < now)) return true;
  record.setDate(now.addingTimeInterval(kLifetime), std::string(kExpiryKey));
  record.synchronize();
  return false;
}
