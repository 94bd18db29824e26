#include "adnetwork/PageScript.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "adnetwork/EmbeddedFiles.h"
#include "platform/glibsupport/GlibPtr.h"

namespace adnetwork {

namespace {

using glibsupport::GCharPtr;

struct GDateTimeDeleter {
  void operator()(GDateTime* time) const { g_date_time_unref(time); }
};
using GDateTimePtr = std::unique_ptr<GDateTime, GDateTimeDeleter>;

// Function declarations later in a script replace earlier ones of the same name, so a variant is
// the sound script with a broken build function after it.
constexpr const char kSilentBuild[] =
    "\n// This variant never answers.\nfunction AVMO_buildAdURL(params) {}\n";
constexpr const char kThrowingBuild[] =
    "\n// This variant throws.\nfunction AVMO_buildAdURL(params) {\n"
    "  throw new Error('AVMO_buildAdURL failed on purpose');\n}\n";

// name as a script string literal that stays inert inside the build page's <script> element:
// quotes, backslashes, "<" and control characters escaped.
std::string scriptString(const std::string& name) {
  std::string literal = "'";
  for (unsigned char c : name) {
    if (c < 0x80 && !std::isalnum(c) && c != ' ' && c != '-' && c != '_' && c != '.') {
      char escape[7];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      literal += escape;
    } else {
      literal += static_cast<char>(c);
    }
  }
  return literal + "'";
}

}  // namespace

PageScript::PageScript(std::time_t startTime) : lastModified_(startTime) {}

std::string PageScript::text(Variant variant, const std::set<std::string>& refusedSlots) {
  std::string script(EmbeddedFiles::find("sdk-core-v40.js").value_or(""));
  if (variant == Variant::Silent) script += kSilentBuild;
  if (variant == Variant::Throws) script += kThrowingBuild;
  if (refusedSlots.empty()) return script;
  script += "\nAVMO_REFUSED_SLOTS = [";
  for (const std::string& slot : refusedSlots) {
    if (&slot != &*refusedSlots.begin()) script += ", ";
    script += scriptString(slot);
  }
  return script + "];\n";
}

scriptedhttp::ScriptedReply PageScript::reply(Variant variant,
                                              const std::set<std::string>& refusedSlots,
                                              const std::optional<std::string>& ifModifiedSince,
                                              std::time_t now) {
  std::string served = text(variant, refusedSlots);
  if (lastServed_ && *lastServed_ != served) lastModified_ = std::max(now, lastModified_ + 1);
  lastServed_ = served;
  scriptedhttp::ScriptedReply::Fields fields{{"Last-Modified", httpDate(lastModified_)},
                                             {"Cache-Control", "no-cache"}};
  auto since = ifModifiedSince ? parseHttpDate(*ifModifiedSince) : std::nullopt;
  if (since && *since >= lastModified_) {
    return scriptedhttp::ScriptedReply::withStatus(304, std::move(fields));
  }
  fields.emplace_back("Content-Type", "application/javascript; charset=utf-8");
  return scriptedhttp::ScriptedReply::ok(std::move(served), std::move(fields));
}

std::string PageScript::httpDate(std::time_t time) {
  GDateTimePtr date(g_date_time_new_from_unix_utc(static_cast<gint64>(time)));
  GCharPtr text(soup_date_time_to_string(date.get(), SOUP_DATE_HTTP));
  return text ? text.get() : "";
}

std::optional<std::time_t> PageScript::parseHttpDate(const std::string& text) {
  GDateTimePtr date(soup_date_time_new_from_http_string(text.c_str()));
  if (!date) return std::nullopt;
  return static_cast<std::time_t>(g_date_time_to_unix(date.get()));
}

}  // namespace adnetwork
