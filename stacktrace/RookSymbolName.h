#pragma once

// The readable form of a loader symbol: C++ names demangled and without their parameter list
// (the stack trace line supplies its own "()"); other names as they are. The result stays valid
// for the life of the process.
const char* RookReadableSymbolName(const char* symbol);
