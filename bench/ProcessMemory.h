#pragma once

// Resident memory in kilobytes, read from /proc: this process's own (all of it, and its anonymous
// part, the heap among it) and the sum over all its descendants (the web engine's processes).
struct ResidentMemory {
  long self = 0;
  long selfAnonymous = 0;
  long children = 0;
};

ResidentMemory residentMemory();
