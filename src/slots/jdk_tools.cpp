#include "slots/jdk_tools.h"

#include <optional>

#include "common/text.h"
#include "slots/java_files.h"

namespace plum {
namespace {

// Whether one of the command's words is `option` or, with `prefix`, begins
// with it.
bool HasOption(std::wstring_view command, std::wstring_view option, bool prefix = false) {
  for (size_t at = command.find(option); at != std::wstring_view::npos;
       at = command.find(option, at + 1)) {
    const size_t end = at + option.size();
    const bool starts = at == 0 || command[at - 1] == L' ' || command[at - 1] == L'\t';
    if (starts &&
        (prefix || end == command.size() || command[end] == L' ' || command[end] == L'\t'))
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

// Java code that the launcher runs: a class, or a source it compiles in memory.
bool RunsJavaCode(JavaRule rule) {
  return rule == JavaRule::kLauncherClass || rule == JavaRule::kLauncherSource;
}

JavaRule JavaRuleFor(int slot, const ResolvedTool& tool, std::wstring_view name) {
  const std::wstring_view program = tool.program;
  // A bare appletviewer that neither the PATH nor an installed JDK has.
  if (slot == kAppletSlot && tool.bare && tool.path.empty() &&
      EqualNoCase(program, L"appletviewer"))
    return JavaRule::kAppletViewer;
  if (slot == kLauncherSlot && (EqualNoCase(program, L"java") || EqualNoCase(program, L"javaw"))) {
    if (EndsWithNoCase(name, L".class")) return JavaRule::kLauncherClass;
    if (EndsWithNoCase(name, L".jar")) return JavaRule::kLauncherJar;
    if (EndsWithNoCase(name, L".java")) return JavaRule::kLauncherSource;
    return JavaRule::kLauncherOther;
  }
  if (slot == kCompilerSlot && EqualNoCase(program, L"javac") && EndsWithNoCase(name, L".java"))
    return JavaRule::kCompilerSource;
  return JavaRule::kNone;
}

// The program of a command that names it by a path, as typed: inside its
// quotes, or up to the first space.
std::wstring TypedProgram(std::wstring_view command) {
  if (!command.empty() && command.front() == L'"')
    return std::wstring(command.substr(1, command.find(L'"', 1) - 1));
  return std::wstring(command.substr(0, command.find_first_of(L" \t")));
}

// The source a class was compiled from, in the class file's folder: as the
// class file names it, else the class's own name up to any $, with .java.
std::wstring SourceOf(const ClassFile& file) {
  if (!file.sourceFile.empty() && file.sourceFile.find_first_of(L"\\/:") == std::wstring::npos)
    return file.sourceFile;
  const std::wstring self = file.name.substr(file.name.find_last_of(L'/') + 1);
  return self.empty() ? self : self.substr(0, self.find(L'$')) + L".java";
}

// The java the dock's applet viewer runs on: the PATH's when it is known to
// run applets, else the newest installed one that does, else one whose
// version is unknown (the PATH's first); none when every Java here is known
// not to run them.
const JdkProgram* AppletJava(const DropFacts& drop) {
  if (JavaInRange(drop.pathJava.java, kAppletJavaFirst, kAppletJavaLast)) return &drop.pathJava;
  if (!drop.appletJava.path.empty()) return &drop.appletJava;
  for (const JdkProgram* java : {&drop.pathJava, &drop.installedJava})
    if (!java->path.empty() && !java->java) return java;
  return nullptr;
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
  const std::optional<BareCommand> bare = tool.namesFile ? std::nullopt : SplitBareCommand(command);
  if (tool.namesFile) {
    tool.path = command;
  } else if (bare) {
    tool.bare = true;
    tool.options = bare->options;
    tool.path = system.onPath(bare->program);
    // A bare command that the PATH does not reach: a JDK installed off it.
    if (tool.path.empty()) {
      const JdkProgram found = system.installedJdk(tool.program, 0, 0);
      tool.path = found.path;
      tool.java = found.java;
      tool.installed = !tool.path.empty();
    }
  } else {
    tool.path = TypedProgram(command);
  }

  const std::wstring droppedPath = Concat({dropped.folder, L"\\", dropped.name});
  drop.rule = JavaRuleFor(slot, tool, dropped.name);
  if (RunsJavaCode(drop.rule) || drop.rule == JavaRule::kCompilerSource)
    drop.contents = system.contents(droppedPath);
  if (RunsJavaCode(drop.rule) && !tool.java && !tool.path.empty())
    tool.java = system.javaVersion(tool.path);
  if (drop.rule == JavaRule::kLauncherClass) {
    drop.classFile = ReadClassFile(drop.contents);
    if (tool.bare && tool.java && tool.java < drop.classFile.java())
      drop.newer = system.installedJdk(tool.program, drop.classFile.java(), 0);
    const std::wstring source = SourceOf(drop.classFile);
    const ULONGLONG sourceWritten =
        source.empty() ? 0 : system.lastWritten(Concat({dropped.folder, L"\\", source}));
    drop.sourceNewer = sourceWritten && sourceWritten > system.lastWritten(droppedPath);
  }
  if (drop.rule == JavaRule::kAppletViewer) {
    const auto withJava = [&system](JdkProgram java) {
      if (!java.path.empty() && !java.java) java.java = system.javaVersion(java.path);
      return java;
    };
    drop.pathJava = withJava({system.onPath(L"java"), 0});
    drop.appletJava = system.installedJdk(L"java", kAppletJavaFirst, kAppletJavaLast);
    drop.installedJava = withJava(system.installedJdk(L"java", 0, 0));
  }
  drop.dropped = std::move(dropped);
  return drop;
}

SlotRun PlanSlotRun(const DropFacts& drop, const std::wstring& viewer) {
  const DroppedPath& dropped = drop.dropped;
  ResolvedTool tool = drop.tool;
  SlotRun run;
  run.folder = dropped.folder;
  run.name = dropped.name;
  run.argument = dropped.name;
  // Deliberate: a class that a newer JDK compiled runs on an installed JDK
  // that can run it when the bare command's Java is known to be older (an
  // old Java's installer puts its java first on the PATH, and javac may have
  // come from a JDK off it); the settings keep the bare name.
  const int needed = drop.rule == JavaRule::kLauncherClass ? drop.classFile.java() : 0;
  if (!drop.newer.path.empty()) {
    tool.path = drop.newer.path;
    tool.java = drop.newer.java;
    tool.installed = true;
  }
  if (drop.rule == JavaRule::kAppletViewer) {
    // Deliberate: JDK 11 to 25 have no appletviewer but still run applets:
    // the dock's own viewer runs the file on a java of theirs, in the
    // system's encoding, which it reads a page in when the page is not UTF-8.
    if (const JdkProgram* java = AppletJava(drop)) {
      tool.path = java->path;
      tool.installed = true;
      run.viewer = viewer;
      if (!tool.options.empty()) run.viewerOptions = tool.options + L" ";
      tool.options = L"-Dfile.encoding=" + JavaEncodingName(drop.ansiCodePage);
    } else if (drop.pathJava.java > kAppletJavaLast || drop.installedJava.java > kAppletJavaLast) {
      run.notices.push_back({NoticeKind::kAppletJavaTooNew,
                             L"------アプレットの実行には JDK 25 以前が必要です------"});
    }
  }
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
    const std::wstring& self = drop.classFile.name;
    const size_t slash = self.find_last_of(L'/');
    if (slash != std::wstring::npos) root = PackageRoot(dropped.folder, self.substr(0, slash));
    run.argument = root ? DottedName(self) : name.substr(0, name.size() - 6);
  }
  if (RunsJavaCode(drop.rule)) {
    // Deliberate: what the learner types reaches the program in the
    // console's code page, which JDK 17 and earlier read by default and JDK
    // 18 and later (UTF-8) do not: a class runs with the system's encoding
    // unless its Java is known to be older than 18. A source, run from
    // memory without an -encoding, is read in the encoding it was saved in.
    const SourceBytes kind = drop.rule == JavaRule::kLauncherSource ? ClassifySource(drop.contents)
                                                                    : SourceBytes::kAscii;
    const bool systemDefault = tool.java && tool.java < 18 && kind == SourceBytes::kAscii;
    if (!systemDefault && !HasOption(tool.command, L"-Dfile.encoding=", true))
      run.options += Concat(
          {L"-Dfile.encoding=",
           kind == SourceBytes::kUtf8 ? L"UTF-8" : JavaEncodingName(drop.ansiCodePage), L" "});
  }
  if (drop.rule == JavaRule::kLauncherClass) run.asksArguments = drop.classFile.readsArguments;
  if (drop.rule == JavaRule::kLauncherSource)
    run.asksArguments = SourceReadsArguments(drop.contents, drop.ansiCodePage);
  if (tool.java && tool.java < needed)
    run.notices.push_back(
        {NoticeKind::kJavaTooOld,
         Concat({L"------このクラスの実行には Java ",
                 DecimalText(static_cast<unsigned long>(needed)),
                 L" 以降が必要です (このツールは Java ",
                 DecimalText(static_cast<unsigned long>(tool.java)), L")------"})});
  if (drop.sourceNewer)
    run.notices.push_back({NoticeKind::kSourceNewer,
                           L"------注意: ソースファイルがこのクラスファイルより新しくなっています "
                           L"(コンパイルし直してください)------"});
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
