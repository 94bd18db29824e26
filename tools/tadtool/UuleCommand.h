#pragma once

// `tadtool uule ...`: argv[0] is "uule", the rest are its arguments. Makes the location value
// that requests carry ("encode") and shows the record inside one ("decode"). Returns the process
// exit status: 0 done, 1 input refused, 2 usage.
int runUuleCommand(int argc, char** argv);
