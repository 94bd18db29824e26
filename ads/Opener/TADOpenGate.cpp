#include "ads/Opener/TADOpenGate.h"

#include "ads/Opener/TADPressRecord.h"
#include "base/ASCII.h"
#include "platform/Application.h"
#include "platform/core/Clock.h"
#include "platform/core/Console.h"
#include "platform/core/ConsoleRateLimit.h"

namespace {

using Source = TADOpenGate::Source;
using Opening = TADOpenGate::Opening;
using Verdict = TADOpenGate::Verdict;

// The address rules: what each opening takes, whoever asks.
Verdict addressVerdict(Opening opening, const std::optional<base::URL>& url) {
  if (!url) return opening == Opening::WebApp ? Verdict::Allowed : Verdict::NoAddress;
  if (url->hasScheme("file")) return Verdict::LocalAddress;
  switch (opening) {
    case Opening::OtherApplication:
      if (TADOpenGate::isDesktopScheme(*url)) return Verdict::Allowed;
      [[fallthrough]];
    case Opening::Browser:
    case Opening::WebApp:
      if (url->isWebURL()) return Verdict::Allowed;
      return url->hasWebScheme() ? Verdict::LocalAddress : Verdict::Scheme;
    case Opening::MailComposer:
      return url->hasScheme("mailto") ? Verdict::Allowed : Verdict::Scheme;
  }
  return Verdict::Scheme;
}

Verdict activationVerdict(std::optional<double> pressAge, bool pressUsed, bool userGesture) {
  if (!pressAge || !userGesture) return Verdict::NoPress;
  // A negative or undefined age is no reading of a press the user made: refused like an old one.
  if (!(*pressAge >= 0 && *pressAge < TADOpenGate::kActivationLifetime)) {
    return Verdict::PressExpired;
  }
  return pressUsed ? Verdict::PressUsed : Verdict::Allowed;
}

const char* sourceName(Source source) {
  switch (source) {
    case Source::Banner:
      return "the banner";
    case Source::BuildPage:
      return "the build page";
    case Source::Browser:
      return "the in-app browser's page";
    case Source::WebApp:
      return "the web app's page";
    case Source::LibraryControl:
      return "the browser's toolbar";
  }
  return "a page";
}

const char* openingName(Opening opening) {
  switch (opening) {
    case Opening::OtherApplication:
      return "another application";
    case Opening::Browser:
      return "the in-app browser";
    case Opening::WebApp:
      return "a web app";
    case Opening::MailComposer:
      return "the mail composer";
  }
  return "something";
}

const char* allowedSchemes(Opening opening) {
  switch (opening) {
    case Opening::MailComposer:
      return "only mailto addresses go there";
    case Opening::OtherApplication:
      return "only http, https, tel, sms and geo addresses go there";
    case Opening::Browser:
    case Opening::WebApp:
      break;
  }
  return "only http and https addresses go there";
}

// A desktop scheme goes out only to an application that the desktop has for it: with none, the
// desktop would fall back on whatever takes any address, or say nothing at all.
Verdict handlerVerdict(Verdict verdict, Opening opening, const std::optional<base::URL>& url) {
  if (verdict != Verdict::Allowed || opening != Opening::OtherApplication || !url ||
      !TADOpenGate::isDesktopScheme(*url)) {
    return verdict;
  }
  return platform::Application::shared().canOpenURL(*url) ? verdict : Verdict::NoHandler;
}

}  // namespace

bool TADOpenGate::isDesktopScheme(const base::URL& url) {
  return url.hasScheme("tel") || url.hasScheme("sms") || url.hasScheme("geo");
}

Verdict TADOpenGate::decide(Source source, std::optional<double> pressAge, bool pressUsed,
                            Opening opening, const std::optional<base::URL>& url,
                            bool userGesture) {
  if (source == Source::BuildPage) return Verdict::BuildPage;
  if (Verdict verdict = addressVerdict(opening, url); verdict != Verdict::Allowed) return verdict;
  if (source == Source::LibraryControl) return Verdict::Allowed;
  return activationVerdict(pressAge, pressUsed, userGesture);
}

Verdict TADOpenGate::verdictFor(const TADPressRecord* pressState, Source source, Opening opening,
                                const std::optional<base::URL>& url, bool userGesture) {
  std::optional<double> pressAge;
  if (pressState) {
    pressAge = pressState->activationAge(platform::Clock::shared().monotonicSeconds());
  }
  return handlerVerdict(
      decide(source, pressAge, pressState && pressState->pressUsed(), opening, url, userGesture),
      opening, url);
}

bool TADOpenGate::admit(TADPressRecord* pressState, Source source, Opening opening,
                        const std::optional<base::URL>& url, bool userGesture) {
  Verdict verdict = verdictFor(pressState, source, opening, url, userGesture);
  if (verdict != Verdict::Allowed) {
    // A page may ask again and again: its refusals are heard as its console lines are.
    static platform::ConsoleRateLimit limit(10, "refusals of the open gate");
    if (limit.take()) platform::Console::log(refusalLine(verdict, source, opening, url));
    return false;
  }
  if (pressState) pressState->usePress();
  return true;
}

std::string TADOpenGate::refusalLine(Verdict verdict, Source source, Opening opening,
                                     const std::optional<base::URL>& url) {
  std::string line = std::string("<Talvik> Refused to open ") + openingName(opening) + " from " +
                     sourceName(source) + ": ";
  const std::string scheme = url ? base::lowercased(url->scheme()) : std::string();
  switch (verdict) {
    case Verdict::Allowed:
      return std::string();
    case Verdict::BuildPage:
      // Named even here, so that a page trying schemes shows which.
      return line + "the build page never opens anything" +
             (scheme.empty() ? std::string() : " (a " + scheme + ": address)") + ".";
    case Verdict::NoAddress:
      return line + "there is no address.";
    case Verdict::LocalAddress:
      return line + "the " + scheme + ": address is local.";
    case Verdict::Scheme:
      return line +
             (scheme.empty() ? "an address without a scheme is" : "the " + scheme + ": scheme is") +
             " not allowed; " + allowedSchemes(opening) + ".";
    case Verdict::NoPress:
      return line + "the user has not pressed it.";
    case Verdict::PressExpired:
      return line + "the user's press was too long ago.";
    case Verdict::PressUsed:
      return line + "the user's press has already opened something.";
    case Verdict::NoHandler:
      return line + "no application of the desktop takes " + scheme + ": addresses.";
  }
  return line;
}
