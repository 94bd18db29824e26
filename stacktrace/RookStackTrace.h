#pragma once

// Readable call stacks, one line per frame, for occasional diagnostic use.
//
// Each return address is named by the symbol that holds it (C++ names demangled, without their
// parameter lists) and by the image that holds it. The symbol is the dynamic loader's when it
// exports one that holds the address, else one from the image file's own symbol table, so
// programs need not export their symbols; a stripped program's own functions go unnamed. There is
// no class list to search on this platform, so descriptors never carry a class name unless a
// caller fills one in.
//
// A line reads "#<n> <image> <address> <symbol>()", or "#<n> <image> <address> ±[<class>
// <symbol>]" for a descriptor with a class name: the frame number left-aligned in 2 columns, the
// last path component of the image left-aligned in 35, the address zero-padded to "0x" plus two
// hexadecimal digits per address byte. An unknown image or symbol is written "??"; a frame that no
// source can name has the symbol "???". Lines are joined by line feeds, none after the last.

#include <cstddef>
#include <string>

struct RookStackAddressDescriptor {
  const void* address = nullptr;
  // Symbol and image names belong to the loader or to a process-wide store; they stay valid for
  // the life of the process.
  const char* symbolName = nullptr;
  const char* className = nullptr;  // missing when the loader named the frame
  bool isClassMethod = false;
  const char* fileName = nullptr;  // the image's path as the loader reports it; may be missing
};

// The calling thread's stack without the frame of RookStackTrace itself, numbered from 0 for its
// caller; empty text when there is nothing to show or no memory to describe it.
std::string RookStackTrace();

// Describes count addresses into descriptors (both arrays count long). Returns count, or 0 when
// either array is missing or count is 0.
size_t RookGetStackAddressDescriptorsForAddresses(const void* const* addresses,
                                                  RookStackAddressDescriptor* descriptors,
                                                  size_t count);

// One line per descriptor, numbered from 0; empty text for a missing array or a zero count.
std::string RookStackTraceFromAddressDescriptors(const RookStackAddressDescriptor* descriptors,
                                                 size_t count);
