#include "json/TAD_VeskJSON.h"

#include <cstring>

#include "json/JsonError.h"
#include "json/JsonReader.h"
#include "json/JsonWriter.h"

const char TAD_VeskJSONErrorDomain[] = "com.quillbeck.tad.VeskJSON";

using base::Error;
using base::Value;
using veskjson::fail;
using veskjson::JsonReader;
using veskjson::JsonWriter;
using enum TAD_VeskJSON::ErrorCode;

// Writing

std::optional<std::string> TAD_VeskJSON::stringWithObject(const Value& value, Error* error) {
  return stringWithObject(value, false, error);
}

std::optional<std::string> TAD_VeskJSON::stringWithFragment(const Value& value, Error* error) {
  return stringWithObject(value, true, error);
}

std::optional<std::string> TAD_VeskJSON::stringWithObject(const Value& value, bool allowScalar,
                                                          Error* error) {
  std::string out;
  out.reserve(128);
  if (!allowScalar && !value.isDictionary() && !value.isArray()) {
    fail(error, kNotAContainer, "Not valid type for JSON");
    return std::nullopt;
  }
  Error local;
  if (!JsonWriter(humanReadable_, sortKeys_).write(value, out, &local)) {
    if (error) *error = std::move(local);
    return std::nullopt;
  }
  return out;
}

// Reading

std::optional<Value> TAD_VeskJSON::objectWithString(const char* text, Error* error) {
  return objectWithString(text, false, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, Error* error) {
  return objectWithString(text, false, error);
}

std::optional<Value> TAD_VeskJSON::fragmentWithString(const char* text, Error* error) {
  return objectWithString(text, true, error);
}

std::optional<Value> TAD_VeskJSON::fragmentWithString(const std::string& text, Error* error) {
  return objectWithString(text, true, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const char* text, bool allowScalar,
                                                    Error* error) {
  return JsonReader(maxDepth_).read(text, text ? std::strlen(text) : 0, allowScalar, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, bool allowScalar,
                                                    Error* error) {
  return JsonReader(maxDepth_).read(text.c_str(), text.size(), allowScalar, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, bool allowScalar,
                                                    Error* error, size_t* failureOffset) {
  JsonReader reader(maxDepth_);
  std::optional<Value> value = reader.read(text.c_str(), text.size(), allowScalar, error);
  if (!value && failureOffset) *failureOffset = reader.offset();
  return value;
}
