#include "slots/jdk_tools.h"

#include "common/text.h"

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

// The launcher slot running java or javaw.
bool RunsOnLauncher(int slot, std::wstring_view program) {
  return slot == kLauncherSlot && (EqualNoCase(program, L"java") || EqualNoCase(program, L"javaw"));
}

// The compiler slot running javac on a source file.
bool CompilesSource(int slot, std::wstring_view program, std::wstring_view name) {
  return slot == kCompilerSlot && EqualNoCase(program, L"javac") && EndsWithNoCase(name, L".java");
}

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

// Where the source goes on after `at` with comments, white space and a
// byte-order mark skipped; the text's end when nothing follows.
size_t SkipBlanks(std::wstring_view text, size_t at) {
  while (at < text.size()) {
    if (iswspace(text[at]) || text[at] == 0xFEFF) {
      ++at;
    } else if (text.substr(at, 2) == L"//") {
      at = text.find(L'\n', at);
    } else if (text.substr(at, 2) == L"/*") {
      at = text.find(L"*/", at + 2);
      if (at != std::wstring_view::npos) at += 2;
    } else {
      return at;
    }
  }
  return text.size();
}

bool IsNamePart(wchar_t c) { return iswalnum(c) || c == L'_' || c == L'$' || c >= 0x80; }

// The class file's modified UTF-8 (surrogates encoded one by one) as text.
std::wstring DecodeModifiedUtf8(std::string_view bytes) {
  std::wstring text;
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 0;
    if (n == 0 || i + n > bytes.size()) return {};
    unsigned code = n == 1 ? b : n == 2 ? b & 0x1F : b & 0x0F;
    for (size_t k = 1; k < n; ++k)
      code = code << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    text += static_cast<wchar_t>(code);
    i += n;
  }
  return text;
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

bool ReadsContents(int slot, std::wstring_view program, std::wstring_view name) {
  return (RunsOnLauncher(slot, program) && EndsWithNoCase(name, L".class")) ||
         CompilesSource(slot, program, name);
}

SourceBytes ClassifySource(std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return SourceBytes::kAscii;
  const bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                        static_cast<int>(bytes.size()), nullptr, 0) > 0;
  return utf8 ? SourceBytes::kUtf8 : SourceBytes::kOther;
}

std::wstring JavaEncodingName(UINT codePage) {
  switch (codePage) {
    case 932:
      return L"MS932";
    case 936:
      return L"GBK";
    case 949:
      return L"MS949";
    case 950:
      return L"MS950";
    case 874:
      return L"MS874";
    case CP_UTF8:
      return L"UTF-8";
    default:
      return L"Cp" + DecimalText(codePage);  // Cp1252 and the other Windows pages
  }
}

std::wstring PackageOfSource(std::string_view bytes, UINT ansiCodePage) {
  const UINT codePage = ClassifySource(bytes) == SourceBytes::kOther ? ansiCodePage : CP_UTF8;
  const std::wstring text = DecodeText(bytes, codePage);
  size_t at = SkipBlanks(text, 0);
  if (text.size() - at <= 7 || text.compare(at, 7, L"package") != 0 || IsNamePart(text[at + 7]))
    return {};
  std::wstring name;
  for (at = SkipBlanks(text, at + 7); at < text.size() && text[at] != L';';
       at = SkipBlanks(text, at + 1)) {
    if (!IsNamePart(text[at]) && text[at] != L'.') return {};
    name += text[at];
  }
  if (at >= text.size() || name.empty() || name.front() == L'.' || name.back() == L'.') return {};
  return name;
}

std::wstring ClassNameOf(std::string_view bytes) {
  const auto u2 = [&bytes](size_t i) {
    return i + 2 <= bytes.size() ? static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) << 8 |
                                                         static_cast<unsigned char>(bytes[i + 1]))
                                 : 0u;
  };
  if (bytes.substr(0, 4) != "\xCA\xFE\xBA\xBE") return {};
  const unsigned count = u2(8);
  // Where constant `wanted` starts (`count`: where the constants end), past
  // the magic number, the versions and the count; 0 when the bytes end first.
  const auto constant = [&](unsigned wanted) -> size_t {
    size_t at = 10;
    for (unsigned i = 1; i < wanted; ++i) {
      // The size of each kind of constant after its tag; Long and Double take
      // two entries.
      static constexpr unsigned char kSizes[] = {0, 0, 0, 4, 4, 8, 8, 2, 2, 4, 4,
                                                 4, 4, 0, 0, 3, 2, 4, 4, 2, 2};
      if (at >= bytes.size()) return 0;
      const auto tag = static_cast<unsigned char>(bytes[at]);
      if (tag == 1) {
        at += 3 + u2(at + 1);
      } else if (tag < sizeof kSizes && kSizes[tag]) {
        at += 1 + kSizes[tag];
        if (tag == 5 || tag == 6) ++i;
      } else {
        return 0;
      }
    }
    return at < bytes.size() ? at : 0;
  };
  const size_t end = constant(count);
  const unsigned self = end ? u2(end + 2) : 0;  // after the access flags
  const size_t classEntry = self && self < count ? constant(self) : 0;
  if (!classEntry || bytes[classEntry] != 7) return {};
  const unsigned name = u2(classEntry + 1);
  const size_t nameEntry = name && name < count ? constant(name) : 0;
  if (!nameEntry || bytes[nameEntry] != 1) return {};
  return DecodeModifiedUtf8(bytes.substr(nameEntry + 3, u2(nameEntry + 1)));
}

size_t PackageRoot(std::wstring_view folder, std::wstring_view package) {
  std::wstring_view rest = folder;
  while (!package.empty()) {
    const size_t dot = package.find_last_of(L"./");
    const std::wstring_view last = package.substr(dot + 1);
    const size_t slash = rest.find_last_of(L'\\');
    if (slash == std::wstring_view::npos || !EqualNoCase(rest.substr(slash + 1), last)) return 0;
    rest = rest.substr(0, slash);
    package = dot == std::wstring_view::npos ? L"" : package.substr(0, dot);
  }
  // A drive or a share stays whole: "\\server" alone is no folder.
  if (rest.substr(0, 2) == L"\\\\" && rest.find(L'\\', 2) == rest.npos) return 0;
  return rest.size();
}

SlotRun PlanSlotRun(int slot, const DroppedPath& dropped, const std::wstring& tool,
                    const DropFacts& facts) {
  SlotRun run;
  run.folder = dropped.folder;
  run.name = dropped.name;
  run.argument = dropped.name;
  run.tool = tool;
  run.toolNamesFile = facts.toolNamesFile;
  const std::optional<BareCommand> bare = SplitBareCommand(tool);
  if (!facts.foundProgram.empty() && bare && !facts.toolNamesFile) {
    run.tool = facts.foundProgram;
    run.toolNamesFile = true;
    if (!bare->options.empty()) run.options = bare->options + L" ";
  }
  const std::wstring_view program = ProgramName(tool, facts.toolNamesFile);
  const std::wstring& name = dropped.name;
  size_t root = 0;  // the length of the package's root folder, when it runs there
  if (RunsOnLauncher(slot, program)) {
    // Deliberate: the launcher runs a class by its name and a jar after
    // -jar; a source file (run directly by JDK 11 and later) goes as it is.
    // A class in a package runs by its full name from the package's root.
    if (EndsWithNoCase(name, L".jar")) run.options += L"-jar ";
    if (EndsWithNoCase(name, L".class")) {
      const std::wstring self = ClassNameOf(facts.contents);
      const size_t slash = self.find_last_of(L'/');
      if (slash != std::wstring::npos) root = PackageRoot(dropped.folder, self.substr(0, slash));
      run.argument = root ? DottedName(self) : name.substr(0, name.size() - 6);
    }
  }
  if (CompilesSource(slot, program, name)) {
    // Deliberate: javac reads a source in the system's code page up to JDK
    // 17 and in UTF-8 from JDK 18: the encoding the file was saved in is
    // named unless the command names one. A source in a package compiles
    // from the package's root, by a path with slashes (which javac on
    // Windows and a Linux javac under Wine both take), so that javac finds
    // the package's other classes.
    const SourceBytes kind = ClassifySource(facts.contents);
    if (kind != SourceBytes::kAscii && !HasOption(tool, L"-encoding"))
      run.options += L"-encoding " +
                     (kind == SourceBytes::kUtf8 ? std::wstring(L"UTF-8")
                                                 : JavaEncodingName(facts.ansiCodePage)) +
                     L" ";
    const std::wstring package = PackageOfSource(facts.contents, facts.ansiCodePage);
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
