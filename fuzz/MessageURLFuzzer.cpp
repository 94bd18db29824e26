// Reads arbitrary text as an address that an ad page navigates to and takes the page message out
// of it: address, then message, then its parameters, then the text a console line shows of it.
// None of it may fault, and what comes out must agree with where it came from: only message
// addresses give messages, names and parameters are text, keys are lower case, and each form of
// address gives the name and the parameters that belong to it.
//
// Input: the address text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Notification/TADNotification.h"
#include "base/Utf8Validator.h"

namespace {

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput: %.*s\n", what, int(input.size()), input.data());
  std::abort();
}

bool hasUpperCaseLetter(std::string_view text) {
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') return true;
  }
  return false;
}

void checkParameters(const base::Dictionary& parameters, std::string_view input) {
  for (const auto& [key, value] : parameters) {
    require(base::Utf8Validator::isValid(key), "a parameter key is not text", input);
    require(!hasUpperCaseLetter(key), "a parameter key is not lower case", input);
    std::optional<std::string_view> text = value.asString();
    require(text.has_value(), "a parameter value is not a string", input);
    require(base::Utf8Validator::isValid(*text), "a parameter value is not text", input);
  }
}

void checkGMSG(const TADNotification& message, const base::URL& url, std::string_view input) {
  std::string path = url.path();
  size_t first = base::Utf8Validator::sequenceLength(path.data(), path.data() + path.size());
  require(first > 0 && message.name() == path.substr(first),
          "the name is not the path after its first character", input);
  require(message.parameters() == TADNetworkUtilities::dictionaryFromQueryString(url.query()),
          "the parameters are not the query's", input);
}

void checkNorvak(const TADNotification& message, const base::URL& url, std::string_view input) {
  base::Dictionary query = TADNetworkUtilities::dictionaryFromQueryString(url.query());
  if (url.host() == "launch") {
    require(message.name() == "open", "a launch address is not an open message", input);
    require(message.parameter("a") == "browser", "a launch address does not open the browser",
            input);
    const base::Value* target = query.find("url");
    require(message.parameters()->size() == (target ? 2u : 1u), "a launch message has strays",
            input);
    require(!target || message.parameter("u") == *target->asString(),
            "a launch message lost its address", input);
  } else if (url.host() == "closecanvas") {
    require(message.name() == "close" && !message.parameters(), "a close message is not bare",
            input);
  } else {
    require(url.host() == "log", "an unknown norvak host gave a message", input);
    require(message.name() == "log" && message.parameters() == query,
            "a log message is not its query", input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::optional<base::URL> url = base::URL::fromString(input);
  if (!url) return 0;

  std::optional<TADNotification> message = TADNotification::notificationFromURL(*url);
  if (!TADNotification::isNotificationURL(*url)) {
    require(!message, "an address of another scheme gave a message", input);
    return 0;
  }
  if (!message) {
    require(TADNotification::isNorvakNotificationURL(*url) || url->path().empty() ||
                !base::Utf8Validator::isValid(url->path()),
            "a gmsg address with a name gave no message", input);
    return 0;
  }

  require(base::Utf8Validator::isValid(message->name()), "the name is not text", input);
  if (message->parameters()) checkParameters(*message->parameters(), input);
  if (TADNotification::isGMSGNotificationURL(*url)) {
    checkGMSG(*message, *url, input);
  } else {
    checkNorvak(*message, *url, input);
  }
  require(!message->description().empty(), "a message has no description", input);
  return 0;
}
