// When each start-up step ends, kept only in the build with
// PLUM_DOCK_TIME_STARTUP (plum_dock_timed.exe) for the benchmark: a mark is
// the time since the process was created, and WriteStartUpMarks appends the
// marks, one "step milliseconds" line each and an empty line after them, to
// the file the environment variable PLUM_STARTUP_MARKS names.
#pragma once

namespace plum {

#ifdef PLUM_DOCK_TIME_STARTUP
void MarkStartUp(const char* step);
void WriteStartUpMarks();
#else
inline void MarkStartUp(const char*) {}
inline void WriteStartUpMarks() {}
#endif

}  // namespace plum
