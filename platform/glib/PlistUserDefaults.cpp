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
#include "plist/PlistSafeReader.h"
#include "plist/PlistValueConverter.h"

namespace platform::glib {

namespace {

// The unique part that the atomic write gives each temporary file's name.
constexpr size_t kTemporaryUniqueLength = 6;
constexpr double kAbandonedAfterSeconds = 60;

// The file is the program's own, but a damaged one must not take the program down with it.
constexpr PlistSafeReader::Limits kFileLimits{64 * 1024 * 1024, PlistValueConverter::kMaxDepth,
                                              16 * 1024 * 1024};

std::optional<base::Dictionary> parseDictionary(const std::string& bytes) {
  std::optional<base::Value> value = PlistSafeReader::read(bytes, kFileLimits);
  if (!value || !value->isDictionary()) return std::nullopt;
  return std::move(*value->asDictionary());
}

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
  removeAbandonedTemporaries();
}

std::string PlistUserDefaults::defaultPath(std::string_view bundleIdentifier) {
  std::string name = bundleIdentifier.empty() ? "quillbeck" : std::string(bundleIdentifier);
  return std::string(g_get_user_data_dir()) + "/quillbeck/" + name + ".plist";
}

void PlistUserDefaults::load() {
  std::optional<std::string> bytes = base::readFile(path_);
  if (!bytes) {
    if (errno == ENOENT) return;  // nothing saved yet
    moveAside(std::string("cannot be read: ") + std::strerror(errno));
    return;
  }
  std::optional<base::Dictionary> stored = parseDictionary(*bytes);
  if (!stored) {
    moveAside("is not a property-list dictionary");
    return;
  }
  values_ = std::move(*stored);
}

void PlistUserDefaults::removeAbandonedTemporaries() const {
  std::string folder = base::folderOf(path_);
  std::string prefix = path_.substr(path_.rfind('/') + 1) + std::string(base::kAtomicWriteMark);
  GDir* directory = g_dir_open(folder.c_str(), 0, nullptr);
  if (!directory) return;
  const double now = static_cast<double>(std::time(nullptr));
  while (const char* name = g_dir_read_name(directory)) {
    std::string_view entry = name;
    if (entry.size() != prefix.size() + kTemporaryUniqueLength || !entry.starts_with(prefix)) {
      continue;
    }
    std::string full = folder + "/" + name;
    struct stat info {};
    if (::lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (now - static_cast<double>(info.st_mtime) < kAbandonedAfterSeconds) continue;
    ::unlink(full.c_str());
  }
  g_dir_close(directory);
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
  PlistNode root = PlistValueConverter::nodeFromValue(base::Value(values_));
  char* raw = nullptr;
  uint32_t length = 0;
  // The binary form keeps every double exactly.
  plist_to_bin(root.get(), &raw, &length);
  if (!raw) return false;
  std::string bytes(raw, length);
  std::free(raw);
  return writeAtomically(bytes);
}

bool PlistUserDefaults::writeAtomically(const std::string& bytes) {
  if (g_mkdir_with_parents(base::folderOf(path_).c_str(), 0700) != 0) return false;
  return base::writeFileAtomically(path_, bytes);
}

}  // namespace platform::glib
