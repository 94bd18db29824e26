#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/glib/ApplicationFolders.h"
#include "platform/storage/UserDefaults.h"

namespace platform::glib {

// User defaults kept in one file per application, in the format it is made with.
//
// The file is read once, at construction; synchronize() writes the whole store to it, unless the
// file already holds those very bytes as far as the store knows (it read or wrote them last): the
// file is taken to be the store's own, so a save that would change nothing costs no write. A save
// never leaves a half-written file: it goes to a temporary file in the same folder, which is
// flushed to disk and then renamed over the old one, and the folder is flushed so the rename
// itself lasts. A crash during a save leaves either the previous or the new contents.
//
// A file that was read but does not parse as a dictionary is never overwritten: it is renamed to
// "<path>.corrupt-<UTC timestamp>", a console line says so (the platform's console must be
// installed), and the store starts empty. Should the rename fail, the store refuses to save.
// A file that cannot be read for any reason but its absence (no permission, too many open
// files, an I/O error, a folder in its place) may be fine and pass: it stays where it is, a
// console line says so, and the store works in memory, refusing to save over it.
//
// A save whose only fault is that the folder could not be flushed after the rename has
// succeeded (the file holds the new contents); a console line mentions it.
//
// Temporary files that a save cut short left behind are removed at construction once they are a
// minute old (a younger one may belong to a save still running in another process).
class FileUserDefaults : public UserDefaults {
 public:
  // How the store is written in the file's bytes.
  class Format {
   public:
    virtual ~Format() = default;
    // What the format is called in console lines ("a <name> dictionary").
    virtual std::string_view name() const = 0;
    // The file name's extension, with its dot.
    virtual std::string_view extension() const = 0;
    // The store in a file's bytes, read within limits that keep a damaged or hostile file from
    // taking the program down; none when the bytes hold no dictionary of this format.
    virtual std::optional<base::Dictionary> dictionaryFromFileBytes(
        std::string_view bytes) const = 0;
    // The bytes a save writes; none when they cannot be made.
    virtual std::optional<std::string> fileBytesFromDictionary(
        const base::Dictionary& values) const = 0;
  };

  FileUserDefaults(std::string path, std::shared_ptr<const Format> format);

  // <the application's settings folder>/<its identifier><the format's extension>, for a
  // completed identity.
  static std::string defaultPath(const ApplicationIdentity& identity, const Format& format);

  bool synchronize() override;
  const std::string& path() const { return path_; }

 private:
  void load();
  void moveAside(std::string_view reason);
  bool writeAtomically(const std::string& bytes);

  std::string path_;
  std::shared_ptr<const Format> format_;
  bool mayWrite_ = true;
  // The bytes the file held when this store last read or wrote it.
  std::optional<std::string> fileBytes_;
};

}  // namespace platform::glib
