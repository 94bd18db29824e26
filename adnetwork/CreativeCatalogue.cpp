#include "adnetwork/CreativeCatalogue.h"

#include "adnetwork/EmbeddedFiles.h"
#include "json/TAD_VeskJSON.h"

namespace adnetwork {

namespace {

std::string text(const base::Value& entry, std::string_view key) {
  const base::Dictionary* fields = entry.asDictionary();
  return fields ? fields->stringForKey(key).value_or("") : std::string();
}

std::string contentTypeOf(std::string_view fileName) {
  auto endsWith = [&](std::string_view suffix) {
    return fileName.size() >= suffix.size() &&
           fileName.substr(fileName.size() - suffix.size()) == suffix;
  };
  if (endsWith(".css")) return "text/css; charset=utf-8";
  if (endsWith(".png")) return "image/png";
  if (endsWith(".html")) return "text/html; charset=utf-8";
  return "application/octet-stream";
}

}  // namespace

base::Expected<CreativeCatalogue> CreativeCatalogue::load() {
  std::string manifest(EmbeddedFiles::find("creatives/manifest.json").value_or("[]"));
  TAD_VeskJSON reader;
  base::Error unread;
  std::optional<base::Value> list = reader.objectWithString(manifest, &unread);
  if (!list) return unread;
  const base::Array* entries = list->asArray();
  if (!entries || entries->empty()) {
    return base::Error::withDescription("adnetwork.creatives", 1,
                                        "the built-in creative manifest lists no creatives");
  }
  CreativeCatalogue catalogue;
  bool bothKinds[2] = {false, false};
  for (const base::Value& entry : *entries) {
    const base::Value* tracked = entry.find("clickTracked");
    const base::Value* personalised = entry.find("personalised");
    catalogue.creatives_.push_back({text(entry, "name"), text(entry, "background"),
                                    tracked && tracked->toBool(), text(entry, "orientation"),
                                    !personalised || personalised->toBool()});
    bothKinds[catalogue.creatives_.back().personalised] = true;
  }
  if (!bothKinds[0] || !bothKinds[1]) {
    return base::Error::withDescription(
        "adnetwork.creatives", 2,
        "the built-in creative manifest needs creatives both personalised and not");
  }
  return catalogue;
}

const CreativeCatalogue::Creative* CreativeCatalogue::find(std::string_view name) const {
  for (const Creative& creative : creatives_) {
    if (creative.name == name) return &creative;
  }
  return nullptr;
}

bool CreativeCatalogue::pin(std::string_view name) {
  if (name.empty()) {
    pinned_.reset();
    return true;
  }
  const Creative* creative = find(name);
  if (!creative) return false;
  pinned_ = static_cast<size_t>(creative - creatives_.data());
  return true;
}

const CreativeCatalogue::Creative& CreativeCatalogue::next() {
  if (pinned_) return creatives_[*pinned_];
  while (!creatives_[nextIndex_].personalised)
    nextIndex_ = (nextIndex_ + 1) % creatives_.size();
  const Creative& creative = creatives_[nextIndex_];
  nextIndex_ = (nextIndex_ + 1) % creatives_.size();
  return creative;
}

const CreativeCatalogue::Creative& CreativeCatalogue::nextNonPersonalised() const {
  if (pinned_ && !creatives_[*pinned_].personalised) return creatives_[*pinned_];
  for (const Creative& creative : creatives_) {
    if (!creative.personalised) return creative;
  }
  return creatives_.front();  // load() made sure of one
}

std::string CreativeCatalogue::page(const Creative& creative, long adNumber) const {
  std::string page(EmbeddedFiles::find("creatives/" + creative.name + "/ad.html").value_or(""));
  const std::string marker = "{{AD}}";
  const std::string number = std::to_string(adNumber);
  for (size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at)) {
    page.replace(at, marker.size(), number);
    at += number.size();
  }
  return page;
}

std::optional<CreativeCatalogue::File> CreativeCatalogue::file(std::string_view name,
                                                               std::string_view fileName) const {
  if (!find(name) || fileName == "ad.html") return std::nullopt;
  std::string path = "creatives/" + std::string(name) + "/" + std::string(fileName);
  auto bytes = EmbeddedFiles::find(path);
  if (!bytes) return std::nullopt;
  return File{*bytes, contentTypeOf(fileName)};
}

}  // namespace adnetwork
