// What a drop runs, in values of its own: the plan outlives whatever it was
// made from.
#pragma once

#include <array>
#include <string>

namespace plum {

// A dropped path split at its last backslash.
struct DroppedPath {
  std::wstring folder;  // everything before the last backslash
  std::wstring name;    // everything after it
};

// What a drop runs, before any cmd.exe form is given to it.
struct SlotRun {
  std::wstring folder;         // where the tool runs
  std::wstring name;           // the dropped file's name, for messages
  std::wstring tool;           // the tool command as typed, or a program's full path
  bool toolNamesFile = false;  // `tool` names an existing file as a whole
  // What follows the tool before the file, as cmd.exe reads it: the options
  // typed after a bare command whose program was found, then what the tool
  // needs for the file (-jar, -encoding and its name); each word ends in a
  // space.
  std::wstring options;
  std::wstring argument;  // the file, as one argument
  // Lines of the dock's own that the console shows before the tool runs
  // (that the tool's Java is too old, that the class is older than its
  // source), each empty when it does not apply; fixed texts, never a name.
  std::array<std::wstring, 2> notices;
};

}  // namespace plum
