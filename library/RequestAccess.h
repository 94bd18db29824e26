#pragma once

#include <memory>

#include "tad/Request.h"

class TADRequest;

namespace tad {

// What a public request holds: the library's own request, which a banner loads.
struct Request::Impl {
  std::shared_ptr<TADRequest> request;
};

}  // namespace tad
