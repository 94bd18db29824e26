#include "platform/glib/FileUserDefaults.h"

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include "base/FileIO.h"
#include "platform/core/Console.h"
#include "platform/glib/ApplicationFolders.h"

namespace platform::glib {

namespace {

constexpr double kAbandonedAfterSeconds = 60;

std::string utcTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
  return text;
}

}  // namespace

FileUserDefaults::FileUserDefaults(std::string path, std::shared_ptr<const Format> format)
    : path_(std::move(path)), format_(std::move(format)) {
  load();
  base::removeAbandonedWrites(base::folderOf(path_), path_.substr(path_.rfind('/') + 1),
                              kAbandonedAfterSeconds);
}

std::string FileUserDefaults::defaultPath(const ApplicationIdentity& identity,
                                          const Format& format) {
  return identity.settingsDirectory() + "/" + identity.applicationId +
         std::string(format.extension());
}

void FileUserDefaults::load() {
  std::optional<std::string> bytes = base::readFile(path_);
  if (!bytes) {
    if (errno == ENOENT) return;  // nothing saved yet
    mayWrite_ = false;
    Console::log("user defaults: " + path_ + " cannot be read (" + std::strerror(errno) +
                 "); working in memory, nothing will be saved over it");
    return;
  }
  std::optional<base::Dictionary> stored = format_->dictionaryFromFileBytes(*bytes);
  if (!stored) {
    moveAside("is not a " + std::string(format_->name()) + " dictionary");
    return;
  }
  values_ = std::move(*stored);
  fileBytes_ = std::move(*bytes);
}

void FileUserDefaults::moveAside(std::string_view reason) {
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

bool FileUserDefaults::synchronize() {
  if (!mayWrite_) return false;
  std::optional<std::string> bytes = format_->fileBytesFromDictionary(values_);
  if (!bytes) return false;
  if (bytes == fileBytes_) return true;
  if (!writeAtomically(*bytes)) return false;
  fileBytes_ = std::move(*bytes);
  return true;
}

bool FileUserDefaults::writeAtomically(const std::string& bytes) {
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
