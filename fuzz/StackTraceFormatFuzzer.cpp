// Formats arbitrary descriptors: any address, names that are missing, empty, long or not UTF-8.
// Every descriptor must give exactly one line.
//
// Input: records of one flag byte, eight address bytes and three NUL-terminated names (symbol,
// class, file). Line feeds inside names are replaced so that lines can be counted.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "stacktrace/RookStackTrace.h"

namespace {

struct Record {
  uint8_t flags = 0;
  uintptr_t address = 0;
  std::string names[3];
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool atEnd() const { return position_ >= size_; }
  uint8_t byte() { return atEnd() ? 0 : data_[position_++]; }
  std::string text() {
    std::string text;
    while (!atEnd() && data_[position_] != 0) {
      const char c = static_cast<char>(data_[position_++]);
      text.push_back(c == '\n' ? ' ' : c);
    }
    if (!atEnd()) ++position_;
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader reader(data, size);
  std::vector<Record> records;
  while (!reader.atEnd() && records.size() < 64) {
    Record record;
    record.flags = reader.byte();
    for (int i = 0; i < 8; ++i)
      record.address = (record.address << 8) | reader.byte();
    for (auto& name : record.names)
      name = reader.text();
    records.push_back(std::move(record));
  }
  std::vector<RookStackAddressDescriptor> descriptors;
  for (const auto& record : records) {
    RookStackAddressDescriptor descriptor;
    descriptor.address = reinterpret_cast<const void*>(record.address);
    descriptor.symbolName = record.flags & 1 ? record.names[0].c_str() : nullptr;
    descriptor.className = record.flags & 2 ? record.names[1].c_str() : nullptr;
    descriptor.isClassMethod = record.flags & 4;
    descriptor.fileName = record.flags & 8 ? record.names[2].c_str() : nullptr;
    descriptors.push_back(descriptor);
  }
  const std::string text =
      RookStackTraceFromAddressDescriptors(descriptors.data(), descriptors.size());
  const auto lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (descriptors.empty() ? !text.empty() : lines != descriptors.size()) std::abort();
  return 0;
}
