#pragma once

#include <ctime>
#include <optional>
#include <set>
#include <string>

#include "platform/scriptedhttp/ScriptedReply.h"

namespace adnetwork {

// The page script at "/avmo/sdk-core-v40.js" and its revalidation. The script's text is built in
// (adnetwork/sdk-core-v40.js); two broken variants stand in for a script that never answers and
// one that throws. The slot names the network refuses are written into the text served, so the
// script answers without asking the network.
//
// The script carries "Last-Modified", and a fetch with "If-Modified-Since" at or after it gets
// 304. Whenever the text served changes (another variant, other refused slots), "Last-Modified"
// moves ahead (by at least a second), so that a client that kept an earlier text (a broken
// variant, a slot served then) fetches the current one rather than being told its copy is
// current.
class PageScript {
 public:
  enum class Variant { Sound, Silent, Throws };

  // Texts first served at startTime (seconds since 1970).
  explicit PageScript(std::time_t startTime);

  static std::string text(Variant variant, const std::set<std::string>& refusedSlots = {});
  // The answer to a fetch made at now with the given "If-Modified-Since" value, if any.
  scriptedhttp::ScriptedReply reply(Variant variant, const std::set<std::string>& refusedSlots,
                                    const std::optional<std::string>& ifModifiedSince,
                                    std::time_t now);

  // HTTP dates ("Sun, 06 Nov 1994 08:49:37 GMT").
  static std::string httpDate(std::time_t time);
  static std::optional<std::time_t> parseHttpDate(const std::string& text);

 private:
  std::time_t lastModified_;
  std::optional<std::string> lastServed_;
};

}  // namespace adnetwork
