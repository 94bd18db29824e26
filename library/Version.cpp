#include "tad/Version.h"

namespace tad {

// Compiled into the library: the values of the headers it was built with.
int majorVersion() {
  return TAD_VERSION_MAJOR;
}

int minorVersion() {
  return TAD_VERSION_MINOR;
}

int microVersion() {
  return TAD_VERSION_PATCH;
}

}  // namespace tad
