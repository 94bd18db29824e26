#pragma once

// What the C face's types know of each other inside the library.

#include "tad/Request.h"
#include "tad/tad-gobject.h"

namespace tad_gobject {

// The C++ request a TadRequest holds.
const tad::Request& requestOf(TadRequest* request);

// The host alive, if any (not a reference).
TadHost* currentHost();

}  // namespace tad_gobject
