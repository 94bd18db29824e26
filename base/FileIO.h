#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// Whole-file reads and crash-safe writes.

// The folder part of path: "." for a bare name, "/" for a file in the root.
std::string folderOf(std::string_view path);

// The file's bytes, or none with errno set when it cannot be read.
[[nodiscard]] std::optional<std::string> readFile(const std::string& path);

// Marks the temporary files of writeFileAtomically: "<path>.saving-XXXXXX".
inline constexpr std::string_view kAtomicWriteMark = ".saving-";

// Replaces path's contents with bytes so that, whatever happens to the process or the machine,
// path holds either its old bytes or the new ones: the bytes go to a temporary file beside path,
// which is flushed to disk and renamed over path, and the folder is flushed so the rename lasts.
// The folder must exist. Answers false with errno set, leaving path as it was, on failure.
//
// Once the rename is done, readers see the new bytes, so the write has succeeded even if the
// folder cannot be flushed afterwards; folderFlushError then receives the errno of that flush
// (0 when it worked), for the caller to mention.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes,
                                       int* folderFlushError = nullptr);

// Replaces path's contents with bytes so that readers see either the old bytes or the new ones,
// never a part, but without flushing anything to disk: cheaper by two flushes, and after a power
// loss path may hold old, new, empty or torn bytes. For copies that can be fetched again and are
// not trusted across a restart. The folder must exist. Answers false with errno set, leaving path
// as it was, on failure.
[[nodiscard]] bool replaceFileUnflushed(const std::string& path, std::string_view bytes);

// Removes the temporary files that writes cut short left in folder once they are at least
// minimumAgeSeconds old (a younger one may belong to a write still running in another process):
// regular files named "<name>.saving-XXXXXX", where <name> must equal fileName unless that is
// empty.
void removeAbandonedWrites(const std::string& folder, std::string_view fileName,
                           double minimumAgeSeconds);

// Replaces the flush of the folder after a rename (::fsync by default; nullptr restores it) so
// that tests can make it fail.
using FolderFlush = int (*)(int fd);
void setFolderFlushForTesting(FolderFlush flush);

}  // namespace base
