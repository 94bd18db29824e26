#include "tools/tadtool/EncodingCommand.h"

#include <cstdio>

int runEncodingCommand(int, char** argv) {
  std::fprintf(stderr, "tadtool: %s is not available in this build\n", argv[0]);
  return 2;
}
