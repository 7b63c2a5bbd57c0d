// What the dock knows of the JDK's tools: which program a tool command runs,
// and what each tool needs for a dropped file (a class by its name, a jar
// after -jar, a source's encoding, a package's root folder).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "slots/java_files.h"
#include "slots/jdk_finder.h"
#include "slots/slot_run.h"

namespace plum {

// The slots whose tools take more than the file's name.
inline constexpr int kLauncherSlot = 1;
inline constexpr int kCompilerSlot = 2;

// The program a tool command runs, without folder and extension: the command
// as typed (a bare name, a path, a quoted path, with or without options
// after it), or, when `namesFile` (it names an existing file as a whole),
// that file.
std::wstring_view ProgramName(std::wstring_view tool, bool namesFile);

// What the system says of a drop's file and tool, asked through these
// lookups; the writer answers from the system, a test from its table.
struct DropLookups {
  std::function<bool(const std::wstring& path)> isFile;  // an existing file, not a folder
  // The full path of a bare program that the PATH, with the PATHEXT
  // extensions, finds; empty when it finds none.
  std::function<std::wstring(const std::wstring& program)> onPath;
  // A bare program (a name without extension) in an installed JDK's bin
  // folder, of Java `atLeast` or later when that is not 0.
  std::function<JdkProgram(const std::wstring& program, int atLeast)> installedJdk;
  // The Java of a JDK's program, given by its full path; 0 when unknown.
  std::function<int(const std::wstring& program)> javaVersion;
  // The first bytes of a file (a source or class file whole); none when it
  // cannot be read.
  std::function<std::string(const std::wstring& path)> contents;
  // When a file was last written; 0 when it is absent or cannot be read.
  std::function<ULONGLONG(const std::wstring& path)> lastWritten;
};

// A tool command worked out for a drop.
struct ResolvedTool {
  std::wstring command;    // as typed
  bool namesFile = false;  // it names an existing file as a whole
  std::wstring program;    // the program's name, without folder and extension
  bool bare = false;       // a program without a folder ("javac -g"), options allowed
  std::wstring options;    // what follows a bare command's program
  // The full path of the program that runs: the command's own file; for a
  // bare command the PATH's, else an installed JDK's (empty when neither
  // has it); for any other command its program as typed.
  std::wstring path;
  bool installed = false;  // `path` is an installed JDK's, and the script names it
  // The Java of the program that runs, asked only for a class or source on
  // the launcher; 0 when unknown.
  int java = 0;
};

// Which of the dock's rules for the JDK's tools a drop falls under.
enum class JavaRule {
  kNone,            // the tool gets the file's name
  kLauncherClass,   // java or javaw on the launcher slot, given a .class
  kLauncherJar,     // ... given a .jar
  kLauncherSource,  // ... given a .java, which JDK 11 and later run as it is
  kLauncherOther,   // ... given anything else
  kCompilerSource,  // javac on the compiler slot, given a .java
};

// Everything a drop needs to know of the system, asked once.
struct DropFacts {
  DroppedPath dropped;
  ResolvedTool tool;
  JavaRule rule = JavaRule::kNone;
  std::string contents;   // the dropped file's bytes, when the rule reads them
  UINT ansiCodePage = 0;  // the system's, in which JDK 17 and earlier read sources
  // A dropped class: what its class file says, and whether its source was
  // saved after it.
  ClassFile classFile;
  bool sourceNewer = false;
};

// Resolves the tool command `command` for the file `dropped` on `slot`: the
// PATH is asked before an installed JDK, and only for a bare command; the
// file is read only when the drop's rule needs its bytes, and the Java of
// the tool's program only for a class or source on the launcher. A bare
// command whose Java is known to be older than a dropped class needs runs
// the program of an installed JDK that can run it, when there is one.
DropFacts ResolveDrop(int slot, DroppedPath dropped, const std::wstring& command, UINT ansiCodePage,
                      const DropLookups& system);

// What a drop runs: in the file's folder, the tool on the file's name; but
// on the launcher slot java and javaw take a class by its name (from the
// package's root folder by its full name) and a jar after -jar, a class or
// source gets the encoding it reads in, and the console says when the Java
// is too old for the class or the class older than its source; on the
// compiler slot javac gets a source's encoding when it is not plain ASCII
// and compiles a source in a package from the package's root folder.
SlotRun PlanSlotRun(const DropFacts& drop);

}  // namespace plum
