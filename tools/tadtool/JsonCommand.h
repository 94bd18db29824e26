#pragma once

// `tadtool json ...`: argv[0] is "json", the rest are its arguments. Returns the process exit
// status: 0 done, 1 the JSON text was refused, 2 usage error or unreadable file.
int runJsonCommand(int argc, char** argv);
