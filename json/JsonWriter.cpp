#include "json/JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/StringOf.h"
#include "json/JsonError.h"
#include "json/JsonScan.h"
#include "json/TAD_VeskJSON.h"

namespace veskjson {

using base::Error;
using base::Value;
using enum TAD_VeskJSON::ErrorCode;
constexpr uint32_t kNestingSafetyLimit = TAD_VeskJSON::kNestingSafetyLimit;

namespace {

// The longest text of a null, boolean or integer: "-9223372036854775808".
constexpr size_t kLongestPlainScalar = 20;
// Texts up to this long, without escapes, go into a short member's piece.
constexpr size_t kShortText = 48;
// A separator, a quoted key and its colon, and a quoted text or the longest plain scalar.
constexpr size_t kShortPiece =
    1 + (kShortText + 3) + std::max<size_t>(kShortText + 2, kLongestPlainScalar);

bool isPlainScalar(Value::Kind kind) {
  return kind == Value::Kind::Null || kind == Value::Kind::Boolean || kind == Value::Kind::Integer;
}

// Writes a null's, boolean's or integer's text at at; returns where it ends.
char* writePlainScalar(char* at, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null:
      std::memcpy(at, "null", 4);
      return at + 4;
    case Value::Kind::Boolean:
      if (*value.asBoolean()) {
        std::memcpy(at, "true", 4);
        return at + 4;
      }
      std::memcpy(at, "false", 5);
      return at + 5;
    default:
      return std::to_chars(at, at + kLongestPlainScalar, value.toInt64()).ptr;
  }
}

bool isShortText(std::string_view text) {
  return text.size() <= kShortText && !needsEscaping(text);
}

char* appendQuoted(char* at, std::string_view text) {
  *at++ = '"';
  if (text.size() <= 16) {
    base::copyShort(at, text.data(), text.size());
  } else {
    std::memcpy(at, text.data(), text.size());
  }
  at += text.size();
  *at++ = '"';
  return at;
}

}  // namespace

bool JsonWriter::write(const Value& root, std::string& text, Error* error) {
  JsonText out(text);
  bool written = writeInto(root, out, error);
  out.finish();
  return written;
}

bool JsonWriter::writeInto(const Value& root, JsonText& out, Error* error) {
  if (!appendValue(root, out, error)) return failInside(error);
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
    if (frame.next == frame.size) {
      close(out);
    } else if (!appendShortMember(frame, out) && !appendValue(nextOf(frame, out), out, error)) {
      return failInside(error);
    }
  }
  return true;
}

bool JsonWriter::appendValue(const Value& value, JsonText& out, Error* error) {
  switch (value.kind()) {
    case Value::Kind::Dictionary:
      return appendDictionary(*value.asDictionary(), out, error);
    case Value::Kind::Array:
      return appendArray(*value.asArray(), out, error);
    case Value::Kind::String:
      appendString(*value.asString(), out);
      return true;
    case Value::Kind::Null:
    case Value::Kind::Boolean:
    case Value::Kind::Integer: {
      char text[kLongestPlainScalar];
      out.append(text, static_cast<size_t>(writePlainScalar(text, value) - text));
      return true;
    }
    case Value::Kind::Double:
    case Value::Kind::Decimal:
      return appendNumber(value, out, error);
    case Value::Kind::Date:
    case Value::Kind::Data:
      appendString(value.description(), out);
      return true;
  }
  // Every kind is handled above; one added to base::Value later is refused until it is.
  return fail(error, kUnsupportedValue, "JSON serialisation not supported for unknown value");
}

JsonWriter::Frame* JsonWriter::pushFrame(Error* error) {
  if (frames_.size() >= kNestingSafetyLimit) {
    fail(error, kNestedTooDeep, "Nested too deep");
    return nullptr;
  }
  Frame& frame = frames_.emplace_back();
  frame.sortedStart = sorted_.size();
  return &frame;
}

bool JsonWriter::appendDictionary(const base::Dictionary& dictionary, JsonText& out, Error* error) {
  out += '{';
  Frame* frame = pushFrame(error);
  if (!frame) return false;
  frame->isObject = true;
  frame->members = dictionary.begin();
  frame->size = dictionary.size();
  if (sortKeys_) sortMembers(dictionary);
  return true;
}

bool JsonWriter::appendArray(const base::Array& array, JsonText& out, Error* error) {
  out += '[';
  Frame* frame = pushFrame(error);
  if (!frame) return false;
  frame->elements = array.data();
  frame->size = array.size();
  return true;
}

inline const base::Dictionary::Entry& JsonWriter::member(const Frame& frame, size_t at) const {
  return sortKeys_ ? *sorted_[frame.sortedStart + at] : frame.members[at];
}

inline const Value& JsonWriter::nextOf(Frame& frame, JsonText& out) {
  if (frame.next > 0) out += ',';
  if (humanReadable_) indent(out);
  size_t at = frame.next++;
  if (!frame.isObject) return frame.elements[at];
  const base::Dictionary::Entry& entry = member(frame, at);
  appendString(entry.first, out);
  if (humanReadable_) {
    out.append(" : ", 3);
  } else {
    out += ':';
  }
  return entry.second;
}

// Most members of records, and elements of lists, are a short key and a scalar. Appended piece
// by piece, such a member took some six calls of a few bytes each; written whole in place, it
// takes none.
bool JsonWriter::appendShortMember(Frame& frame, JsonText& out) {
  if (humanReadable_) return false;
  const base::Dictionary::Entry* entry = frame.isObject ? &member(frame, frame.next) : nullptr;
  const Value& value = entry ? entry->second : frame.elements[frame.next];
  const bool isText = value.isString();
  if (isText ? !isShortText(*value.asString()) : !isPlainScalar(value.kind())) return false;
  if (entry && !isShortText(entry->first)) return false;

  char* const start = out.room(kShortPiece);
  char* at = start;
  if (frame.next > 0) *at++ = ',';
  if (entry) {
    at = appendQuoted(at, entry->first);
    *at++ = ':';
  }
  at = isText ? appendQuoted(at, *value.asString()) : writePlainScalar(at, value);
  out.commit(at);
  ++frame.next;
  return true;
}

void JsonWriter::close(JsonText& out) {
  const Frame& frame = frames_.back();
  bool isObject = frame.isObject;
  bool empty = frame.size == 0;
  sorted_.resize(frame.sortedStart);
  frames_.pop_back();
  if (humanReadable_ && !empty) indent(out);
  out += isObject ? '}' : ']';
}

// A value that failed to write: an object around it replaces the error with its own, naming the
// member of the outermost object that holds the value; arrays pass the error on as it is.
bool JsonWriter::failInside(Error* error) const {
  for (const Frame& frame : frames_) {
    if (!frame.isObject) continue;
    // Its member being written is the last one begun.
    const std::string key = member(frame, frame.next - 1).first.str();
    return fail(error, kUnsupportedValue, "Unsupported value for key " + key + " in object");
  }
  return false;
}

void JsonWriter::sortMembers(const base::Dictionary& dictionary) {
  auto first = static_cast<std::ptrdiff_t>(sorted_.size());
  for (const base::Dictionary::Entry& entry : dictionary)
    sorted_.push_back(&entry);
  std::sort(sorted_.begin() + first, sorted_.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
}

bool JsonWriter::appendNumber(const Value& number, JsonText& out, Error* error) {
  if (number.kind() == Value::Kind::Decimal) {
    decimalText_.clear();
    number.appendDecimalTo(decimalText_);
    out.append(decimalText_);
    return true;
  }
  // A non-finite double has no JSON text; writing "nan" or "inf" would make text that no reader
  // accepts, this one included.
  if (!std::isfinite(number.toDouble())) {
    return fail(error, kUnsupportedValue,
                "JSON serialisation not supported for " + number.numberString());
  }
  out.append(number.numberString());
  return true;
}

void JsonWriter::appendString(std::string_view text, JsonText& out) {
  out += '"';
  if (!needsEscaping(text)) {  // most texts, keys above all
    out.append(text);
    out += '"';
    return;
  }
  const char* run = text.data();
  const char* end = run + text.size();
  for (const char* cursor = firstToEscape(run, end); cursor != end;
       cursor = firstToEscape(run, end)) {
    out.append(run, static_cast<size_t>(cursor - run));
    appendEscaped(static_cast<unsigned char>(*cursor), out);
    run = cursor + 1;
  }
  out.append(run, static_cast<size_t>(end - run));
  out += '"';
}

void JsonWriter::appendEscaped(unsigned char byte, JsonText& out) {
  switch (byte) {
    case '\b':
      out.append("\\b", 2);
      return;
    case '\t':
      out.append("\\t", 2);
      return;
    case '\n':
      out.append("\\n", 2);
      return;
    case '\f':
      out.append("\\f", 2);
      return;
    case '\r':
      out.append("\\r", 2);
      return;
    case '"':
      out.append("\\\"", 2);
      return;
    case '\\':
      out.append("\\\\", 2);
      return;
    default: {
      static constexpr char kHex[] = "0123456789abcdef";
      char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
      out.append(escape, sizeof escape);
    }
  }
}

void JsonWriter::indent(JsonText& out) const {
  out += '\n';
  out.append(2 * frames_.size(), ' ');
}

}  // namespace veskjson
