// What the dock knows of the JDK's tools: which program a tool command runs,
// and what each tool needs for a dropped file (a class by its name, a jar
// after -jar, a source's encoding, a package's root folder).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "slots/script_text.h"

namespace plum {

// The slots whose tools take more than the file's name.
inline constexpr int kLauncherSlot = 1;
inline constexpr int kCompilerSlot = 2;

// The program a tool command runs, without folder and extension: the command
// as typed (a bare name, a path, a quoted path, with or without options
// after it), or, when `namesFile` (it names an existing file as a whole),
// that file.
std::wstring_view ProgramName(std::wstring_view tool, bool namesFile);

// A tool command that names its program without a folder ("javac -g"): the
// program as typed and the options after it. Nothing for a path or a quoted
// command.
struct BareCommand {
  std::wstring program;
  std::wstring options;
};
std::optional<BareCommand> SplitBareCommand(std::wstring_view tool);

// What the writer learnt from the system for a drop.
struct DropFacts {
  bool toolNamesFile = false;  // the tool command names an existing file as a whole
  // The full path of a bare command's program in an installed JDK, when the
  // system's search does not find the program; empty otherwise.
  std::wstring foundProgram;
  std::string contents;   // the dropped file's bytes, when ReadsContents asked for them
  UINT ansiCodePage = 0;  // the system's, in which JDK 17 and earlier read sources
};

// Whether the plan for a file named `name` dropped on `slot`, whose tool runs
// `program`, reads the file.
bool ReadsContents(int slot, std::wstring_view program, std::wstring_view name);

// What a drop runs: in the file's folder, the tool on the file's name; but
// on the launcher slot java and javaw take a class by its name (from the
// package's root folder by its full name) and a jar after -jar, and on the
// compiler slot javac gets a source's encoding when it is not plain ASCII
// and compiles a source in a package from the package's root folder.
SlotRun PlanSlotRun(int slot, const DroppedPath& dropped, const std::wstring& tool,
                    const DropFacts& facts);

// The parts of the plan, for their own use and tests:
enum class SourceBytes { kAscii, kUtf8, kOther };
SourceBytes ClassifySource(std::string_view bytes);
std::wstring JavaEncodingName(UINT codePage);  // "MS932" for 932
// The package a source declares ("chap01.sub"), or empty.
std::wstring PackageOfSource(std::string_view bytes, UINT ansiCodePage);
// The class a class file defines, as the file names it ("chap01/Hello"), or
// empty when the bytes are not a class file.
std::wstring ClassNameOf(std::string_view bytes);
// The length of the folder above `folder`'s last folders when those are
// `package`'s (by dots or slashes, in any case); 0 when they are not.
size_t PackageRoot(std::wstring_view folder, std::wstring_view package);

}  // namespace plum
