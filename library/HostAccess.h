#pragma once

#include "tad/Identity.h"

namespace tad {

// The identity of the host alive (completed), or an empty one when there is none.
const Identity& currentHostIdentity();

}  // namespace tad
