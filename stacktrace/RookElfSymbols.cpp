#include "stacktrace/RookElfSymbols.h"

#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Symbol {
  uintptr_t start;
  uintptr_t size;
  size_t nameOffset;
};

// One file's symbols sorted by address; names point into the kept string table.
struct SymbolTable {
  std::vector<Symbol> symbols;
  std::string names;
};

class File {
 public:
  explicit File(const char* path) : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  // Exactly size bytes at offset, or false.
  bool read(uint64_t offset, void* data, size_t size) const {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t got = ::pread(fd_, bytes, size, static_cast<off_t>(offset));
      if (got <= 0) return false;
      bytes += got;
      offset += static_cast<uint64_t>(got);
      size -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
};

// Tables beyond this are taken as a damaged file rather than read.
constexpr uint64_t kLargestSection = uint64_t{1} << 30;

bool readSection(const File& file, const ElfW(Shdr) & section, std::string& data) {
  if (section.sh_type == SHT_NOBITS || section.sh_size > kLargestSection) return false;
  data.resize(section.sh_size);
  return file.read(section.sh_offset, data.data(), data.size());
}

// The symbols of the given table type (SHT_SYMTAB or SHT_DYNSYM), or false when there is none.
bool readTable(const File& file, const std::vector<ElfW(Shdr)>& sections, uint32_t type,
               SymbolTable& table) {
  for (const ElfW(Shdr) & section : sections) {
    if (section.sh_type != type || section.sh_link >= sections.size()) continue;
    std::string raw;
    if (!readSection(file, section, raw) ||
        !readSection(file, sections[section.sh_link], table.names))
      return false;
    table.names.push_back('\0');  // every name ends inside the table, whatever the file says
    const size_t count = raw.size() / sizeof(ElfW(Sym));
    for (size_t i = 0; i < count; ++i) {
      ElfW(Sym) symbol;
      std::memcpy(&symbol, raw.data() + i * sizeof symbol, sizeof symbol);
      const unsigned kind = ELF64_ST_TYPE(symbol.st_info);
      if ((kind != STT_FUNC && kind != STT_OBJECT && kind != STT_GNU_IFUNC) ||
          symbol.st_shndx == SHN_UNDEF || symbol.st_size == 0 || symbol.st_name == 0 ||
          symbol.st_name >= table.names.size())
        continue;
      table.symbols.push_back({symbol.st_value, symbol.st_size, symbol.st_name});
    }
    std::stable_sort(table.symbols.begin(), table.symbols.end(),
                     [](const Symbol& a, const Symbol& b) { return a.start < b.start; });
    return true;
  }
  return false;
}

SymbolTable readSymbols(const char* path) {
  SymbolTable table;
  const File file(path);
  ElfW(Ehdr) header;
  if (!file.isOpen() || !file.read(0, &header, sizeof header) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
      header.e_shentsize != sizeof(ElfW(Shdr)) || header.e_shnum == 0)
    return table;
  std::vector<ElfW(Shdr)> sections(header.e_shnum);
  if (!file.read(header.e_shoff, sections.data(), sections.size() * sizeof(ElfW(Shdr))))
    return table;
  if (!readTable(file, sections, SHT_SYMTAB, table)) {
    table = {};
    readTable(file, sections, SHT_DYNSYM, table);
  }
  return table;
}

}  // namespace

const char* RookElfSymbolName(const char* path, uintptr_t fileAddress) {
  if (path == nullptr || *path == '\0') return nullptr;
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<SymbolTable>, std::less<>> tables;
  std::lock_guard lock(mutex);
  auto found = tables.find(path);
  if (found == tables.end())
    found = tables.emplace(path, std::make_unique<SymbolTable>(readSymbols(path))).first;
  const SymbolTable& table = *found->second;
  // Among the symbols that start last at or before the address (aliases share a start), the
  // first whose extent holds it.
  const auto after =
      std::upper_bound(table.symbols.begin(), table.symbols.end(), fileAddress,
                       [](uintptr_t address, const Symbol& s) { return address < s.start; });
  if (after == table.symbols.begin()) return nullptr;
  const uintptr_t start = std::prev(after)->start;
  for (auto it = after; it != table.symbols.begin() && std::prev(it)->start == start; --it) {
    const Symbol& symbol = *std::prev(it);
    if (fileAddress - symbol.start < symbol.size) return table.names.c_str() + symbol.nameOffset;
  }
  return nullptr;
}
