#include "base/FileIO.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace base {

namespace {

bool writeAll(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

bool syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// Runs cleanup without letting it change errno, which the caller reports.
template <typename Cleanup>
void keepingErrno(Cleanup cleanup) {
  int saved = errno;
  cleanup();
  errno = saved;
}

}  // namespace

std::string folderOf(std::string_view path) {
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::optional<std::string> readFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  while (true) {
    ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      keepingErrno([fd] { ::close(fd); });
      return std::nullopt;
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<size_t>(count));
  }
  ::close(fd);
  return bytes;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  std::string temporary = path + std::string(kAtomicWriteMark) + "XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
  if (!written) keepingErrno([fd] { ::close(fd); });
  if (written && ::close(fd) != 0) written = false;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    keepingErrno([&temporary] { ::unlink(temporary.c_str()); });
    return false;
  }
  return syncFolder(folderOf(path));
}

}  // namespace base
