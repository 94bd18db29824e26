#pragma once

// Names addresses from an ELF file's own symbol tables, for the functions that the dynamic loader
// cannot name: those of a program that does not export its symbols, and the local ones of any
// image. The full table (.symtab) is read where the file still has it, else the dynamic one.
//
// Each file's table is read once, on first use, and kept for the life of the process, as are the
// names it returns. Safe to call from any thread.

#include <cstdint>

// The name of the function or object in the file at path whose extent holds fileAddress (an
// address as the file numbers it, without the load bias); nullptr when the file cannot be read,
// is not an ELF file of this process's class, or no symbol holds the address.
const char* RookElfSymbolName(const char* path, uintptr_t fileAddress);
