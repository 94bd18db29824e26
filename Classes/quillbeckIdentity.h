#pragma once

#include "tad/Version.h"

// Who the soundboard is on the desktop: its identifier names its folders (caches, settings and
// website data) and its desktop file; its name titles the device screen. The program that runs it
// hands these to the backend it chooses.
namespace quillbeckIdentity {

inline constexpr const char* kApplicationId = "org.quillbeck.Soundboard";
inline constexpr const char* kName = "Quillbeck";
inline constexpr const char* kVersion = TAD_VERSION_STRING;

}  // namespace quillbeckIdentity
