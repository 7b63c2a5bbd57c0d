#include "slots/jdk_tools.h"

#include <windows.h>

namespace plum {
namespace {

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() && EqualNoCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

std::wstring_view ProgramName(std::wstring_view tool, bool namesFile) {
  std::wstring_view program = tool;
  if (!namesFile && !program.empty() && program.front() == L'"')
    program = program.substr(1, program.find(L'"', 1) - 1);
  else if (!namesFile)
    program = program.substr(0, program.find_first_of(L" \t"));
  program = program.substr(program.find_last_of(L"\\/:") + 1);
  return program.substr(0, program.find_last_of(L'.'));
}

bool IsProgram(std::wstring_view program, std::wstring_view name) {
  return EqualNoCase(program, name);
}

std::vector<std::wstring> ToolArguments(int slot, std::wstring_view program,
                                        std::wstring_view name) {
  const bool launcher = IsProgram(program, L"java") || IsProgram(program, L"javaw");
  if (slot == kLauncherSlot && launcher) {
    // Deliberate: the launcher runs a class by its name and a jar after -jar;
    // a source file (run directly by JDK 11 and later) goes as it is.
    if (EndsWithNoCase(name, L".class")) return {std::wstring(name.substr(0, name.size() - 6))};
    if (EndsWithNoCase(name, L".jar")) return {L"-jar", std::wstring(name)};
  }
  return {std::wstring(name)};
}

}  // namespace plum
