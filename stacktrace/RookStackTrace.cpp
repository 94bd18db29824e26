#include "stacktrace/RookStackTrace.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

#include "base/Utf8Validator.h"
#include "stacktrace/RookElfSymbols.h"
#include "stacktrace/RookSymbolName.h"

namespace {

constexpr const char* kUnknownSymbol = "???";
constexpr std::string_view kUnknownText = "??";
constexpr int kFileNameColumns = 35;
constexpr int kFirstFrameCapacity = 128;
constexpr int kMostFrames = 1 << 16;

// The path's last component, as a path library reads it: "/a/b/" gives "b", "/" stays "/".
std::string_view lastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/')
    path.remove_suffix(1);
  if (path.size() <= 1) return path;
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view displayedFileName(const char* fileName) {
  if (fileName == nullptr || !base::Utf8Validator::isValid(fileName)) return kUnknownText;
  return lastPathComponent(fileName);
}

void appendLeftAligned(std::string& line, std::string_view text, size_t columns) {
  line.append(text);
  if (text.size() < columns) line.append(columns - text.size(), ' ');
}

void appendAddress(std::string& line, const void* address) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  const auto value = reinterpret_cast<uintptr_t>(address);
  line.append("0x");
  for (int shift = sizeof(uintptr_t) * 8 - 4; shift >= 0; shift -= 4) {
    line.push_back(kHexDigits[(value >> shift) & 0xF]);
  }
}

void appendFrameLine(std::string& text, size_t number, const RookStackAddressDescriptor& frame) {
  text.push_back('#');
  appendLeftAligned(text, std::to_string(number), 2);
  text.push_back(' ');
  appendLeftAligned(text, displayedFileName(frame.fileName), kFileNameColumns);
  text.push_back(' ');
  appendAddress(text, frame.address);
  text.push_back(' ');
  const std::string_view symbol = frame.symbolName ? frame.symbolName : kUnknownText;
  if (frame.className == nullptr) {
    text.append(symbol).append("()");
    return;
  }
  text.push_back(frame.isClassMethod ? '+' : '-');
  text.append("[").append(frame.className).append(" ").append(symbol).append("]");
}

// The loader knows only exported symbols: nearest below is not always the one that holds the
// address (a local function may lie between), and a program that exports nothing has none. Those
// are named from the image's file, the program's own being /proc/self/exe.
const char* nameFromImage(const void* address, const Dl_info& info) {
  const auto offset =
      reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(info.dli_saddr);
  Dl_info again;
  void* exported = nullptr;  // the symbol's entry in the loader's table
  if (info.dli_sname != nullptr && dladdr1(address, &again, &exported, RTLD_DL_SYMENT) != 0 &&
      exported != nullptr && offset < static_cast<const ElfW(Sym)*>(exported)->st_size)
    return info.dli_sname;
  void* map = nullptr;
  if (dladdr1(address, &again, &map, RTLD_DL_LINKMAP) == 0 || map == nullptr) return info.dli_sname;
  const auto* image = static_cast<const link_map*>(map);
  const bool isProgram = image->l_name == nullptr || image->l_name[0] == '\0';
  const char* fromFile = RookElfSymbolName(isProgram ? "/proc/self/exe" : image->l_name,
                                           reinterpret_cast<uintptr_t>(address) - image->l_addr);
  return fromFile != nullptr ? fromFile : info.dli_sname;
}

void describe(const void* address, RookStackAddressDescriptor& descriptor) {
  descriptor = RookStackAddressDescriptor{};
  descriptor.address = address;
  Dl_info info;
  if (dladdr(address, &info) != 0) {
    descriptor.fileName = info.dli_fname;
    // No class methods compete on this platform, so the nearest symbol always wins.
    descriptor.symbolName = RookReadableSymbolName(nameFromImage(address, info));
  }
  if (descriptor.symbolName == nullptr) descriptor.symbolName = kUnknownSymbol;
}

}  // namespace

// The frames before the caller's are this function's own, plus any that a wrapper of
// backtrace() adds (sanitizers add one); the caller's frame is the one that returns where this
// function returns to.
__attribute__((noinline)) std::string RookStackTrace() {
  const void* const returnAddress = __builtin_return_address(0);
  std::unique_ptr<void*[]> frames;
  int count = 0;
  for (int capacity = kFirstFrameCapacity; capacity <= kMostFrames; capacity *= 2) {
    frames.reset(new (std::nothrow) void*[capacity]);
    if (!frames) return {};
    count = backtrace(frames.get(), capacity);
    if (count < capacity) break;
  }
  int callerFrame = 1;
  for (int i = 0; i < count; ++i) {
    if (frames[i] == returnAddress) {
      callerFrame = i;
      break;
    }
  }
  if (count <= callerFrame) return {};
  const size_t shown = count - callerFrame;
  std::unique_ptr<RookStackAddressDescriptor[]> descriptors(new (std::nothrow)
                                                                RookStackAddressDescriptor[shown]);
  if (!descriptors) return {};
  RookGetStackAddressDescriptorsForAddresses(frames.get() + callerFrame, descriptors.get(), shown);
  return RookStackTraceFromAddressDescriptors(descriptors.get(), shown);
}

size_t RookGetStackAddressDescriptorsForAddresses(const void* const* addresses,
                                                  RookStackAddressDescriptor* descriptors,
                                                  size_t count) {
  if (addresses == nullptr || descriptors == nullptr || count == 0) return 0;
  for (size_t i = 0; i < count; ++i)
    describe(addresses[i], descriptors[i]);
  return count;
}

std::string RookStackTraceFromAddressDescriptors(const RookStackAddressDescriptor* descriptors,
                                                 size_t count) {
  std::string text;
  if (descriptors == nullptr) return text;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text.push_back('\n');
    appendFrameLine(text, i, descriptors[i]);
  }
  return text;
}
