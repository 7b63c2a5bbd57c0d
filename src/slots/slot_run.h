// What a drop runs, in values of its own: the plan outlives whatever it was
// made from.
#pragma once

#include <string>
#include <vector>

namespace plum {

// A dropped path split at its last backslash.
struct DroppedPath {
  std::wstring folder;  // everything before the last backslash
  std::wstring name;    // everything after it
};

// A line of the dock's own in the console, before the tool runs.
enum class NoticeKind {
  kJavaTooOld,       // the tool's Java is older than the class needs
  kSourceNewer,      // the class file is older than its source
  kAppletJavaTooNew  // only Javas that no longer run applets were found
};
struct Notice {
  NoticeKind kind;
  std::wstring text;
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
  // The dock's applet viewer, a Java source that the tool (a java) runs on
  // the file: its full path, and the options typed after the command
  // (each word ending in a space); empty when the tool runs the file itself.
  std::wstring viewer;
  std::wstring viewerOptions;
  // Lines of the dock's own that the console shows before the tool runs, in
  // this order; texts of the dock's, never a name.
  std::vector<Notice> notices;
  // The program reads its arguments: the console asks for them, and what
  // the learner types follows the file.
  bool asksArguments = false;
};

}  // namespace plum
