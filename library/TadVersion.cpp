#include "tad/tad-version.h"

#include "tad/Version.h"

guint tad_get_major_version() {
  return static_cast<guint>(tad::majorVersion());
}

guint tad_get_minor_version() {
  return static_cast<guint>(tad::minorVersion());
}

guint tad_get_micro_version() {
  return static_cast<guint>(tad::microVersion());
}

const char* tad_check_version(guint required_major, guint required_minor, guint required_micro) {
  guint major = tad_get_major_version(), minor = tad_get_minor_version(),
        micro = tad_get_micro_version();
  if (required_major > major) return "The tad library is too old (major mismatch)";
  if (required_major < major) return "The tad library is too new (major mismatch)";
  if (required_minor > minor || (required_minor == minor && required_micro > micro))
    return "The tad library is too old (minor or micro mismatch)";
  return nullptr;
}
