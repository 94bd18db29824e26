#include "ads/Formats/TADPropertyListReader.h"

#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "json/TAD_VeskJSON.h"
#include "platform/Platform.h"

namespace {

std::optional<base::Value> readJson(std::string_view bytes) {
  TAD_VeskJSON reader;
  reader.setMaxDepth(TADPropertyListReader::kMaxDepth);
  return reader.objectWithString(std::string(bytes));
}

bool looksLikeJson(std::string_view bytes) {
  size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && (bytes[first] == '{' || bytes[first] == '[');
}

}  // namespace

std::optional<base::Value> TADPropertyListReader::valueWithBytes(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxBytes) return std::nullopt;
  if (!bytes.starts_with("bplist00") && looksLikeJson(bytes)) return readJson(bytes);
  if (!platform::Platform::isInstalled()) return std::nullopt;
  const platform::PropertyListReading* lists = platform::Platform::current().propertyLists.get();
  if (!lists) return std::nullopt;
  return lists->read(bytes, {kMaxBytes, kMaxDepth, kMaxValues});
}

std::optional<base::Value> TADPropertyListReader::valueWithContentsOfFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<uint64_t>(info.st_size) > kMaxBytes) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  // Read one byte past the limit, so that a file grown since stat is still refused.
  std::string bytes(kMaxBytes + 1, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(file.gcount()));
  return valueWithBytes(bytes);
}
