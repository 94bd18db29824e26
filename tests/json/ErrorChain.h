#pragma once

// Test helper: an error and its underlying errors as "code: message" lines, outermost first,
// so that a whole chain is compared in one expectation.

#include <string>
#include <vector>

#include "base/Error.h"
#include "json/TAD_VeskJSON.h"

inline std::vector<std::string> chainOf(const base::Error& error) {
  std::vector<std::string> links;
  for (const base::Error* link = &error; link; link = link->underlyingError().get()) {
    std::string text = std::to_string(link->code()) + ": " + link->localizedDescription();
    if (link->domain() != TAD_VeskJSONErrorDomain) text += " (domain " + link->domain() + ")";
    links.push_back(text);
  }
  return links;
}
