#pragma once

// The errors of the reader and the writer: each of the codec's domain, with its message under the
// localized-description key; a chained one with the error the out-parameter held as its cause.

#include <cstdint>
#include <string>

#include "base/Error.h"

namespace veskjson {

base::Error err(int64_t code, std::string message);
// Stores err(code, message) in error when there is one; returns false, for `return fail(...)`.
bool fail(base::Error* error, int64_t code, std::string message);
// As fail(), with the error that error held as the new one's underlying error.
bool failChained(base::Error* error, int64_t code, std::string message);
// prefix followed by the code in hexadecimal between quotes: prefix'0x1f'.
std::string withHexCode(const char* prefix, unsigned code);

}  // namespace veskjson
