#pragma once

// What the library exports. Everything else in it is hidden: only the classes and functions
// marked here are part of its binary interface.
#if defined(TAD_BUILDING_LIBRARY)
#define TAD_EXPORT __attribute__((visibility("default")))
#else
#define TAD_EXPORT
#endif
