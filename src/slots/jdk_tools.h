// What the dock knows of the JDK's tools: which program a tool command runs,
// and the arguments each tool takes for a dropped file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plum {

// The slots whose tools take more than the file's name.
inline constexpr int kLauncherSlot = 1;

// The program a tool command runs, without folder and extension: the command
// as typed (a bare name, a path, a quoted path, with or without options
// after it), or, when `namesFile` (it names an existing file as a whole),
// that file.
std::wstring_view ProgramName(std::wstring_view tool, bool namesFile);

// Whether `program` (as ProgramName gives it) is `name`, in any case.
bool IsProgram(std::wstring_view program, std::wstring_view name);

// The words after the tool on its line for the dropped file `name`, each one
// argument: the name itself, except on the launcher slot when the tool is
// java or javaw, which take a class by its name and a jar after -jar.
std::vector<std::wstring> ToolArguments(int slot, std::wstring_view program,
                                        std::wstring_view name);

}  // namespace plum
