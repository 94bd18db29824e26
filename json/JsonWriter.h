#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Value.h"
#include "json/JsonText.h"

namespace veskjson {

// One writing: the options it was given and the containers it is inside. Containers are written
// without recursion, so that how deep a value may nest does not depend on the stack of the build.
class JsonWriter {
 public:
  JsonWriter(bool humanReadable, bool sortKeys)
      : humanReadable_(humanReadable), sortKeys_(sortKeys) {}

  bool write(const base::Value& root, std::string& out, base::Error* error);

 private:
  // An open container: an array, or an object whose members are written in their order or, when
  // keys are sorted, in the order of sorted_ from sortedStart on.
  struct Frame {
    const base::Value* elements = nullptr;             // of an array
    const base::Dictionary::Entry* members = nullptr;  // of an object
    size_t size = 0;
    size_t next = 0;
    size_t sortedStart = 0;
    bool isObject = false;
  };

  bool writeInto(const base::Value& root, JsonText& out, base::Error* error);
  // Writes a scalar, or opens a container.
  bool appendValue(const base::Value& value, JsonText& out, base::Error* error);
  // Each opens its container: its members or elements follow, one at a time, from write().
  bool appendDictionary(const base::Dictionary& dictionary, JsonText& out, base::Error* error);
  bool appendArray(const base::Array& array, JsonText& out, base::Error* error);
  Frame* pushFrame(base::Error* error);
  // Writes the innermost container's next member or element whole when it is a short key and a
  // short scalar; false, having written nothing, for any other.
  bool appendShortMember(Frame& frame, JsonText& out);
  // The innermost container's next value, after its separator and key.
  const base::Value& nextOf(Frame& frame, JsonText& out);
  void close(JsonText& out);
  const base::Dictionary::Entry& member(const Frame& frame, size_t at) const;
  bool failInside(base::Error* error) const;
  void sortMembers(const base::Dictionary& dictionary);
  static void appendString(std::string_view text, JsonText& out);
  static void appendEscaped(unsigned char byte, JsonText& out);
  // A double or a decimal.
  bool appendNumber(const base::Value& number, JsonText& out, base::Error* error);
  void indent(JsonText& out) const;

  const bool humanReadable_;
  const bool sortKeys_;
  std::vector<Frame> frames_;                           // innermost last
  std::vector<const base::Dictionary::Entry*> sorted_;  // the open objects' members, sorted
  std::string decimalText_;                             // a decimal's, before it is appended
};

}  // namespace veskjson
