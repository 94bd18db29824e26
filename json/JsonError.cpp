#include "json/JsonError.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "base/Value.h"
#include "json/TAD_VeskJSON.h"

namespace veskjson {

using base::Error;
using base::Value;

namespace {

// A new error whose underlying error is the one the out-parameter holds, if it holds one.
Error errWithUnderlier(int64_t code, Error* error, std::string message) {
  std::shared_ptr<const Error> underlier;
  if (error && !error->domain().empty())
    underlier = std::make_shared<const Error>(std::move(*error));
  return Error(
      TAD_VeskJSONErrorDomain, code,
      base::Dictionary{{std::string(Error::kLocalizedDescriptionKey), Value(std::move(message))}},
      std::move(underlier));
}

}  // namespace

Error err(int64_t code, std::string message) {
  return Error(
      TAD_VeskJSONErrorDomain, code,
      base::Dictionary{{std::string(Error::kLocalizedDescriptionKey), Value(std::move(message))}});
}

bool fail(Error* error, int64_t code, std::string message) {
  if (error) *error = err(code, std::move(message));
  return false;
}

bool failChained(Error* error, int64_t code, std::string message) {
  if (error) *error = errWithUnderlier(code, error, std::move(message));
  return false;
}

std::string withHexCode(const char* prefix, unsigned code) {
  char text[64];
  snprintf(text, sizeof text, "%s'0x%x'", prefix, code);
  return text;
}

}  // namespace veskjson
