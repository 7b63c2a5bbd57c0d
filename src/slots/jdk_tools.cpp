#include "slots/jdk_tools.h"

#include <optional>

#include "common/text.h"
#include "slots/java_files.h"

namespace plum {
namespace {

// Whether the command's words include `option` as one of them.
bool HasOption(std::wstring_view command, std::wstring_view option) {
  for (size_t at = command.find(option); at != std::wstring_view::npos;
       at = command.find(option, at + 1)) {
    const size_t end = at + option.size();
    const bool starts = at == 0 || command[at - 1] == L' ' || command[at - 1] == L'\t';
    if (starts && (end == command.size() || command[end] == L' ' || command[end] == L'\t'))
      return true;
  }
  return false;
}

// A class's binary name as the launcher takes it: dots between packages.
std::wstring DottedName(std::wstring name) {
  for (wchar_t& c : name)
    if (c == L'/') c = L'.';
  return name;
}

// A tool command that names its program without a folder ("javac -g"): the
// program as typed and the options after it. Nothing for a path or a quoted
// command.
struct BareCommand {
  std::wstring program;
  std::wstring options;
};

std::optional<BareCommand> SplitBareCommand(std::wstring_view tool) {
  const size_t end = tool.find_first_of(L" \t");
  const std::wstring_view program = tool.substr(0, end);
  if (program.empty() || program.find_first_of(L"\"\\/:") != std::wstring_view::npos)
    return std::nullopt;
  std::wstring_view options = end == std::wstring_view::npos ? L"" : tool.substr(end);
  while (!options.empty() && (options.front() == L' ' || options.front() == L'\t'))
    options.remove_prefix(1);
  return BareCommand{std::wstring(program), std::wstring(options)};
}

JavaRule JavaRuleFor(int slot, std::wstring_view program, std::wstring_view name) {
  if (slot == kLauncherSlot && (EqualNoCase(program, L"java") || EqualNoCase(program, L"javaw"))) {
    if (EndsWithNoCase(name, L".class")) return JavaRule::kLauncherClass;
    if (EndsWithNoCase(name, L".jar")) return JavaRule::kLauncherJar;
    return JavaRule::kLauncherOther;
  }
  if (slot == kCompilerSlot && EqualNoCase(program, L"javac") && EndsWithNoCase(name, L".java"))
    return JavaRule::kCompilerSource;
  return JavaRule::kNone;
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

DropFacts ResolveDrop(int slot, DroppedPath dropped, const std::wstring& command, UINT ansiCodePage,
                      const DropLookups& system) {
  DropFacts drop;
  drop.ansiCodePage = ansiCodePage;
  ResolvedTool& tool = drop.tool;
  tool.command = command;
  tool.namesFile = system.isFile(command);
  tool.program = ProgramName(command, tool.namesFile);
  if (tool.namesFile) tool.path = command;
  if (std::optional<BareCommand> bare = SplitBareCommand(command); bare && !tool.namesFile) {
    tool.bare = true;
    tool.options = std::move(bare->options);
    tool.path = system.onPath(bare->program);
    // A bare command that the PATH does not reach: a JDK installed off it.
    if (tool.path.empty()) {
      tool.path = system.installedJdk(tool.program);
      tool.installed = !tool.path.empty();
    }
  }
  drop.rule = JavaRuleFor(slot, tool.program, dropped.name);
  if (drop.rule == JavaRule::kLauncherClass || drop.rule == JavaRule::kCompilerSource)
    drop.contents = system.contents(Concat({dropped.folder, L"\\", dropped.name}));
  drop.dropped = std::move(dropped);
  return drop;
}

SlotRun PlanSlotRun(const DropFacts& drop) {
  const DroppedPath& dropped = drop.dropped;
  const ResolvedTool& tool = drop.tool;
  SlotRun run;
  run.folder = dropped.folder;
  run.name = dropped.name;
  run.argument = dropped.name;
  run.tool = tool.command;
  run.toolNamesFile = tool.namesFile;
  if (tool.installed) {
    run.tool = tool.path;
    run.toolNamesFile = true;
    if (!tool.options.empty()) run.options = tool.options + L" ";
  }
  const std::wstring& name = dropped.name;
  size_t root = 0;  // the length of the package's root folder, when it runs there
  // Deliberate: the launcher runs a class by its name and a jar after -jar;
  // a source file (run directly by JDK 11 and later) goes as it is. A class
  // in a package runs by its full name from the package's root.
  if (drop.rule == JavaRule::kLauncherJar) run.options += L"-jar ";
  if (drop.rule == JavaRule::kLauncherClass) {
    const std::wstring self = ClassNameOf(drop.contents);
    const size_t slash = self.find_last_of(L'/');
    if (slash != std::wstring::npos) root = PackageRoot(dropped.folder, self.substr(0, slash));
    run.argument = root ? DottedName(self) : name.substr(0, name.size() - 6);
  }
  if (drop.rule == JavaRule::kCompilerSource) {
    // Deliberate: javac reads a source in the system's code page up to JDK
    // 17 and in UTF-8 from JDK 18: the encoding the file was saved in is
    // named unless the command names one. A source in a package compiles
    // from the package's root, by a path with slashes (which javac on
    // Windows and a Linux javac under Wine both take), so that javac finds
    // the package's other classes.
    const SourceBytes kind = ClassifySource(drop.contents);
    if (kind != SourceBytes::kAscii && !HasOption(tool.command, L"-encoding"))
      run.options += L"-encoding " +
                     (kind == SourceBytes::kUtf8 ? std::wstring(L"UTF-8")
                                                 : JavaEncodingName(drop.ansiCodePage)) +
                     L" ";
    const std::wstring package = PackageOfSource(drop.contents, drop.ansiCodePage);
    if (!package.empty()) root = PackageRoot(dropped.folder, package);
    if (root) {
      run.argument = dropped.folder.substr(root + 1) + L"/" + name;
      for (wchar_t& c : run.argument)
        if (c == L'\\') c = L'/';
    }
  }
  if (root) run.folder = run.folder.substr(0, root);
  return run;
}

}  // namespace plum
