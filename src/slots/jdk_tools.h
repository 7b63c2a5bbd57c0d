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
inline constexpr int kAppletSlot = 0;
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
  // folder, of a Java from `atLeast` to `atMost` (0: no bound).
  std::function<JdkProgram(const std::wstring& program, int atLeast, int atMost)> installedJdk;
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
  kAppletViewer,    // appletviewer on the applet slot, which no JDK here has
};

// The Javas that can run applets: java.applet is in JDK 11 (the first whose
// java runs a source file) to 25; JDK 26 removed it.
inline constexpr int kAppletJavaFirst = 11;
inline constexpr int kAppletJavaLast = 25;

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
  // A class that the bare command's Java is known to be too old for: the
  // program of the newest installed JDK that can run it (none when none can).
  JdkProgram newer;
  // The Javas the dock's applet viewer could run on: the PATH's java, the
  // newest installed one that runs applets, and the one an installed JDK
  // has whatever its version; each with its Java when known.
  JdkProgram pathJava, appletJava, installedJava;
};

// Resolves the tool command `command` for the file `dropped` on `slot`: the
// PATH is asked before an installed JDK, and only for a bare command; the
// file is read only when the drop's rule needs its bytes, the Java of the
// tool's program only for a class or source on the launcher, a newer JDK
// only for a class the bare command's Java is known to be too old for, and
// the Javas only for an applet viewer that no JDK here has. It decides
// nothing of what runs.
DropFacts ResolveDrop(int slot, DroppedPath dropped, const std::wstring& command, UINT ansiCodePage,
                      const DropLookups& system);

// What a drop runs: in the file's folder, the tool on the file's name; but
// on the launcher slot java and javaw take a class by its name (from the
// package's root folder by its full name) and a jar after -jar, a class or
// source gets the encoding it reads in, a class runs on an installed JDK
// that can run it when the bare command's Java is too old, and the console
// says when no Java here can or the class is older than its source; on the
// compiler slot javac gets a source's encoding when it is not plain ASCII
// and compiles a source in a package from the package's root folder; on the
// applet slot, an appletviewer that no JDK here has is the dock's own viewer,
// `viewer`, run by a java that runs applets, or the console says that none
// here can.
SlotRun PlanSlotRun(const DropFacts& drop, const std::wstring& viewer);

}  // namespace plum
