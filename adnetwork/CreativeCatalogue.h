#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Expected.h"

namespace adnetwork {

// The creatives the network serves, as adnetwork/make-creatives wrote them and the build embedded
// them: their order of rotation, the response headers each one wants, their pages and files.
class CreativeCatalogue {
 public:
  struct Creative {
    std::string name;
    std::string background;     // "#rrggbb", the colour that fills the banner
    bool clickTracked = false;  // served with click tracking addresses
    std::string orientation;    // "X-Avmo-Orientation", or empty for none
    // Whether it is chosen for the user (in rotation), or one for every user, served where the
    // ad may not be personalised.
    bool personalised = true;
  };
  struct File {
    std::string_view bytes;
    std::string contentType;
  };

  // Reads the embedded manifest; the error when it does not read or lacks either kind of
  // creative, which means the build embedded a broken one.
  static base::Expected<CreativeCatalogue> load();

  const std::vector<Creative>& creatives() const { return creatives_; }
  const Creative* find(std::string_view name) const;
  // Serve only this creative from now on; empty: back to rotation. False for an unknown name.
  bool pin(std::string_view name);
  // The creative to serve next: the pinned one, or the next personalised one in rotation.
  const Creative& next();
  // The creative to serve where the ad may not be personalised: the pinned one when it is such,
  // else the first that is not personalised.
  const Creative& nextNonPersonalised() const;

  // The creative's page for the ad of this number.
  std::string page(const Creative& creative, long adNumber) const;
  // A file of a creative ("style.css", "picture.png"); none for what is not there.
  std::optional<File> file(std::string_view name, std::string_view fileName) const;

 private:
  CreativeCatalogue() = default;

  std::vector<Creative> creatives_;
  std::optional<size_t> pinned_;
  size_t nextIndex_ = 0;
};

}  // namespace adnetwork
