#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// Whole-file reads and crash-safe writes.

// The folder part of path: "." for a bare name, "/" for a file in the root.
std::string folderOf(std::string_view path);

// The file's bytes, or none with errno set when it cannot be read.
std::optional<std::string> readFile(const std::string& path);

// Marks the temporary files of writeFileAtomically: "<path>.saving-XXXXXX".
inline constexpr std::string_view kAtomicWriteMark = ".saving-";

// Replaces path's contents with bytes so that, whatever happens to the process or the machine,
// path holds either its old bytes or the new ones: the bytes go to a temporary file beside path,
// which is flushed to disk and renamed over path, and the folder is flushed so the rename lasts.
// The folder must exist. Answers false with errno set, leaving path as it was, on failure.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace base
