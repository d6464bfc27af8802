#pragma once

namespace kestrune {

// Where the Windows edition's start-up spends its time. Built with -DKESTRUNE_STARTUP_TRACE=ON
// (bench/run.sh does, in a build of its own), each checkpoint notes the performance counter's
// time with the step it ends, the first one from the process's creation. The end of the trace,
// just before the message loop, prints every step's milliseconds to standard error as "step=ms"
// pairs on one line. In every other build they are nothing.
#ifdef KESTRUNE_STARTUP_TRACE
void StartupCheckpoint(const char* step);
// Prints the trace; later calls do nothing.
void EndStartupTrace();
#else
inline void StartupCheckpoint(const char*) {}
inline void EndStartupTrace() {}
#endif

}  // namespace kestrune
