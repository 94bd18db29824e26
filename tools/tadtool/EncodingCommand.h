#pragma once

// `tadtool encode ...` and `tadtool decode ...`: argv[0] is "encode" or "decode", the rest are
// that command's arguments. Returns the process exit status: 0 done, 1 input refused, 2 usage.
int runEncodingCommand(int argc, char** argv);
