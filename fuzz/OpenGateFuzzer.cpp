// Asks the open gate about any address from any kind of web view, with any press. The first
// bytes choose who asks, what for, the press (none, a chosen age, or any 64-bit reading) and
// whether it was used; the rest is the address. Whatever they hold, nothing opens without a live,
// unused press (but from the library's own control), the build page opens nothing, another
// application gets only http and https addresses with a host, the screens only http and https,
// the composer only mailto; and a refusal is one console line beginning "<Talvik> ".

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Opener/TADOpenGate.h"
#include "base/URL.h"

namespace {

using Source = TADOpenGate::Source;
using Opening = TADOpenGate::Opening;
using Verdict = TADOpenGate::Verdict;

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput: %.*s\n", what, int(input.size()), input.data());
  std::abort();
}

std::string lowercased(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return text;
}

std::optional<double> pressAge(uint8_t choice, std::string_view& rest) {
  static constexpr double kAges[] = {0.0, 0.5, 0.999, 1.0, 1.5, -0.25, 1e9, -0.0};
  if (choice < 64) return std::nullopt;
  if (choice < 192) return kAges[choice % 8];
  if (rest.size() < sizeof(double)) return std::nullopt;
  double age;
  std::memcpy(&age, rest.data(), sizeof age);
  rest.remove_prefix(sizeof age);
  return age;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const auto source = static_cast<Source>(data[0] % 5);
  const auto opening = static_cast<Opening>((data[0] / 5) % 4);
  const bool used = data[1] & 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::optional<double> age = pressAge(data[2], rest);
  const std::string_view input = rest;
  // The second bit of the second byte asks with no address at all.
  std::optional<base::URL> url;
  if (!(data[1] & 2)) {
    url = base::URL::fromString(input);
    if (!url) return 0;
  }

  const Verdict verdict = TADOpenGate::decide(source, age, used, opening, url);
  require(TADOpenGate::decide(source, age, used, opening, url) == verdict,
          "the same question had another answer", input);
  if (verdict != Verdict::Allowed) {
    std::string line = TADOpenGate::refusalLine(verdict, source, opening, url);
    require(line.starts_with("<Talvik> "), "a refusal line lacks its prefix", input);
    for (unsigned char c : line)
      require(c >= 0x20 && c != 0x7f, "a refusal is not one line", input);
    return 0;
  }

  require(source != Source::BuildPage, "the build page opened something", input);
  if (source != Source::LibraryControl) {
    require(age && *age >= 0 && *age < TADOpenGate::kActivationLifetime && !used,
            "opened without a live, unused press", input);
  }
  const std::string scheme = url ? lowercased(url->scheme()) : std::string();
  switch (opening) {
    case Opening::OtherApplication:
      require(url && (scheme == "http" || scheme == "https") && !url->host().empty(),
              "another application was given an address outside the allow-list", input);
      break;
    case Opening::Browser:
      require(url && (scheme == "http" || scheme == "https"), "the browser took another scheme",
              input);
      break;
    case Opening::WebApp:
      require(!url || scheme == "http" || scheme == "https", "a web app took another scheme",
              input);
      break;
    case Opening::MailComposer:
      require(url && scheme == "mailto", "the composer took another scheme", input);
      break;
  }
  return 0;
}
