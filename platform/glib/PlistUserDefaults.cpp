#include "platform/glib/PlistUserDefaults.h"

#include <glib.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include "base/FileIO.h"
#include "platform/Console.h"
#include "platform/glib/ApplicationFolders.h"
#include "plist/PlistSafeReader.h"
#include "plist/PlistValueConverter.h"

namespace platform::glib {

namespace {

constexpr double kAbandonedAfterSeconds = 60;

// The file is the program's own, but a damaged one must not take the program down with it.
constexpr PlistSafeReader::Limits kFileLimits{64 * 1024 * 1024, PlistValueConverter::kMaxDepth,
                                              16 * 1024 * 1024};

std::string utcTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

}  // namespace

PlistUserDefaults::PlistUserDefaults(std::string path) : path_(std::move(path)) {
  load();
  base::removeAbandonedWrites(base::folderOf(path_), path_.substr(path_.rfind('/') + 1),
                              kAbandonedAfterSeconds);
}

std::optional<base::Dictionary> PlistUserDefaults::dictionaryFromFileBytes(std::string_view bytes) {
  std::optional<base::Value> value = PlistSafeReader::read(bytes, kFileLimits);
  if (!value || !value->isDictionary()) return std::nullopt;
  return std::move(*value->asDictionary());
}

std::optional<std::string> PlistUserDefaults::fileBytesFromDictionary(
    const base::Dictionary& values) {
  PlistNode root = PlistValueConverter::nodeFromValue(base::Value(values));
  char* raw = nullptr;
  uint32_t length = 0;
  plist_to_bin(root.get(), &raw, &length);
  if (!raw) return std::nullopt;
  std::string bytes(raw, length);
  std::free(raw);
  return bytes;
}

std::string PlistUserDefaults::defaultPath(const ApplicationIdentity& identity) {
  return identity.settingsDirectory() + "/" + identity.applicationId + ".plist";
}

void PlistUserDefaults::load() {
  std::optional<std::string> bytes = base::readFile(path_);
  if (!bytes) {
    if (errno == ENOENT) return;  // nothing saved yet
    mayWrite_ = false;
    Console::log("user defaults: " + path_ + " cannot be read (" + std::strerror(errno) +
                 "); working in memory, nothing will be saved over it");
    return;
  }
  std::optional<base::Dictionary> stored = dictionaryFromFileBytes(*bytes);
  if (!stored) {
    moveAside("is not a property-list dictionary");
    return;
  }
  values_ = std::move(*stored);
  fileBytes_ = std::move(*bytes);
}

void PlistUserDefaults::moveAside(std::string_view reason) {
  std::string aside = path_ + ".corrupt-" + utcTimestamp();
  for (int n = 2; g_file_test(aside.c_str(), G_FILE_TEST_EXISTS); ++n) {
    aside = path_ + ".corrupt-" + utcTimestamp() + "-" + std::to_string(n);
  }
  std::string line = "user defaults: " + path_ + " " + std::string(reason);
  if (::rename(path_.c_str(), aside.c_str()) != 0) {
    mayWrite_ = false;
    Console::log(line + "; it cannot be moved aside (" + std::strerror(errno) +
                 "), so nothing will be saved over it");
    return;
  }
  Console::log(line + "; kept as " + aside + ", starting empty");
}

bool PlistUserDefaults::synchronize() {
  if (!mayWrite_) return false;
  std::optional<std::string> bytes = fileBytesFromDictionary(values_);
  if (!bytes) return false;
  if (bytes == fileBytes_) return true;
  if (!writeAtomically(*bytes)) return false;
  fileBytes_ = std::move(*bytes);
  return true;
}

bool PlistUserDefaults::writeAtomically(const std::string& bytes) {
  if (g_mkdir_with_parents(base::folderOf(path_).c_str(), 0700) != 0) return false;
  int flushError = 0;
  if (!base::writeFileAtomically(path_, bytes, &flushError)) return false;
  if (flushError != 0) {
    Console::log("user defaults: saved " + path_ + ", but its folder could not be flushed (" +
                 std::strerror(flushError) + "); a power cut may undo the save");
  }
  return true;
}

}  // namespace platform::glib
