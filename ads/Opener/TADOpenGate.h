#pragma once

#include <optional>
#include <string>

#include "base/URL.h"

class TADPressRecord;

// The one gate through which everything that an ad page asks for and that leaves the application
// or covers it must pass: another application, the in-app browser, a web app screen, the mail
// composer. Ad pages are strangers' code, so an opening needs the user's own press inside the very
// web view that asks: a press (a pointer button, or Enter or Space on what has the focus) gives
// that web view an activation that is live while the press is held and for kActivationLifetime
// seconds after its release on the monotonic clock, and is used up by the one opening it allows.
// One press therefore opens at most one thing, and a page cannot open anything on a timer after
// the press.
//
// The activation belongs to the frame that received the press. WebKit marks each navigation that
// was made while a frame handled the user's input as a user gesture: the press's events go only to
// the frame under the pointer (a key's to the focused frame), so the mark is carried by what their
// handlers do, by what those call at once (frames of the same origin, above or below, such as a
// hidden message frame the pressed page makes), and by a timer they start that fires within a
// second. A frame that was not pressed asks on its own schedule (an inline frame of another origin
// polling "open"), and its navigation carries no mark: it is refused as not pressed, and the press
// stays for the frame that has it. The mark is the engine's own and no page can set it. Nothing
// else ties a navigation to a frame: WebKitGTK names no frame of a navigation, a page message's
// address carries no Referer, and a script that sees which frame the trusted event reached cannot
// tell which frame a later navigation came from.
//
// The rules, in order (the first that refuses gives the reason):
//   - the hidden build page never opens anything;
//   - another application is given "http" and "https" addresses with a host (the desktop's
//     browser), and addresses of the desktop schemes (isDesktopScheme) when the desktop has an
//     application for their scheme; "file" addresses are local and refused, like every other
//     scheme;
//   - the in-app browser and a web app take only "http" and "https" addresses with a host
//     (base::URL::isWebURL; a web app may also come without one, from the page's own markup);
//   - the mail composer takes only "mailto" addresses;
//   - the asking web view needs a live, unused activation. A control the library draws itself
//     (the in-app browser's toolbar) is pressed by the user, never by a page: it needs none.
// A refusal writes one "<Talvik> " console line with its reason; a refused scheme is named. At
// most 10 refusal lines are written a second (platform::ConsoleRateLimit), however often pages ask.
class TADOpenGate {
 public:
  enum class Source { Banner, BuildPage, Browser, WebApp, LibraryControl };
  enum class Opening { OtherApplication, Browser, WebApp, MailComposer };
  enum class Verdict {
    Allowed,
    BuildPage,     // the build page asked
    NoAddress,     // nothing to open
    LocalAddress,  // a "file" address, or a web address without a host
    Scheme,        // a scheme this opening does not take
    NoPress,       // the web view was not pressed, or another frame of it was
    PressExpired,  // the press is older than kActivationLifetime (or its age makes no sense)
    PressUsed,     // the press has already opened something
    NoHandler,     // no application of the desktop takes this scheme
  };

  // A click handler runs at the release of its press, and the navigation it starts reaches the
  // library within a few tenths of a second even on a slow device, or after a short wait of its
  // own; a second covers that with room to spare, while anything later is no longer the user's
  // doing.
  static constexpr double kActivationLifetime = 1.0;

  // The schemes beside http and https that another application is given, each because its
  // handler takes plain data that it shows the user before anything happens: "tel" a number to
  // call, "sms" a number and a draft to send, "geo" a place to show on a map. Not among them:
  // "mailto" (mail goes to the composer: a desktop mail program may take an "attach" field from
  // the address and send a local file along), "webcal" (it subscribes the calendar to a
  // stranger's feed, which goes on writing into it), and schemes whose handlers download,
  // connect or start programs with arguments taken from the address (magnet, ftp, smb, ssh,
  // appstream, and the many schemes of single programs).
  static bool isDesktopScheme(const base::URL& url);

  // The decision itself, with no state: pressAge is the seconds since the release of the asking
  // web view's last press (0 while it is held; none when it was never pressed since its current
  // page came), pressUsed whether an opening has used that press, userGesture whether the asking
  // navigation carries the user's gesture (false: a frame that was not pressed asks).
  static Verdict decide(Source source, std::optional<double> pressAge, bool pressUsed,
                        Opening opening, const std::optional<base::URL>& url,
                        bool userGesture = true);

  // The decision for the press recorded in the asking web view's state (nullptr for a web view
  // that records none), its age read on the monotonic clock; a desktop scheme allowed by decide
  // is refused when the desktop has no application for it (platform::Application::canOpenURL).
  // Changes nothing.
  static Verdict verdictFor(const TADPressRecord* pressState, Source source, Opening opening,
                            const std::optional<base::URL>& url, bool userGesture = true);
  // The gate as the library uses it: the verdict above; an allowed opening uses the press up, a
  // refused one is written on the console.
  static bool admit(TADPressRecord* pressState, Source source, Opening opening,
                    const std::optional<base::URL>& url, bool userGesture = true);

  // The console line of a refusal.
  static std::string refusalLine(Verdict verdict, Source source, Opening opening,
                                 const std::optional<base::URL>& url);
};
