#pragma once

#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/CreativeCatalogue.h"
#include "adnetwork/PageScript.h"
#include "platform/scriptedhttp/ScriptedReply.h"

namespace adnetwork {

// What the network answers when nothing is wrong: the page script, ad pages,
// creative files, tracking, the click redirector and landing pages. Faults are applied on top by
// the server.
class Routes {
 public:
  struct Request {
    std::string method;
    std::string path;
    std::map<std::string, std::string> query;  // decoded
    std::optional<std::string> ifModifiedSince;
  };

  static constexpr char kScriptPath[] = "/avmo/sdk-core-v40.js";
  static constexpr char kAdPath[] = "/ad";
  static constexpr char kImpressionPath[] = "/track/impression";
  static constexpr char kClickTrackingPath[] = "/track/click";
  // Click addresses of the creatives: counts the click and redirects to "adurl".
  static constexpr char kClickPath[] = "/aclk";

  Routes(CreativeCatalogue catalogue, std::string origin, double refreshSeconds,
         std::time_t startTime);

  // The route whose faults apply to path, if any.
  static std::optional<AdNetwork::Route> routeOf(const std::string& path);

  scriptedhttp::ScriptedReply answer(const Request& request,
                                     PageScript::Variant script = PageScript::Variant::Sound);

  CreativeCatalogue& catalogue() { return catalogue_; }
  const std::string& origin() const { return origin_; }
  void refuseSlot(const std::string& slotname) { refusedSlots_.insert(slotname); }
  void setRefreshSeconds(double seconds) { refreshSeconds_ = seconds; }

 private:
  scriptedhttp::ScriptedReply adPage(const Request& request);
  scriptedhttp::ScriptedReply creativeFile(const std::string& path) const;
  scriptedhttp::ScriptedReply click(const Request& request) const;
  scriptedhttp::ScriptedReply landing(const std::string& path) const;

  CreativeCatalogue catalogue_;
  PageScript script_;
  std::string origin_;
  double refreshSeconds_;
  std::set<std::string> refusedSlots_;
  long adsServed_ = 0;
};

}  // namespace adnetwork
