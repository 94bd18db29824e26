#pragma once

namespace tad {

// Hands the lines of the process's log (base::Log) to the program's writer (setLogWriter), or to
// defaultLogWriter while it has set none. Every entry that can lead to a line calls it first
// (making a host or a banner, setting a writer); once is enough, more calls do nothing.
void routeLibraryLog();

}  // namespace tad
