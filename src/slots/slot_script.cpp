#include "slots/slot_script.h"

#include <windows.h>

#include <optional>
#include <string_view>

#include "common/handles.h"
#include "common/paths.h"
#include "common/text.h"

namespace plum {
namespace {

constexpr wchar_t kBanner[] = L"@ECHO ------コマンドを実行します------";
// Deliberate: ends the batch on the tool's own line. cmd.exe parses a whole line before
// it runs it and reads the next line only afterwards, from the offset where
// it left off: a script replaced while its tool still runs (a second drop on
// the same slot) would otherwise have the old cmd.exe go on reading the new
// text from the middle. "goto :eof" keeps the tool's exit code ("exit /b"
// does not under Wine).
constexpr wchar_t kEndOfBatch[] = L" & goto :eof";
// Deliberate: ends the batch when the folder line failed, before the cls that
// would wipe cmd.exe's error from the screen. cmd.exe sets errorlevel 1 when
// cd or pushd cannot enter a folder; "||" cannot be used: Wine's cmd runs its
// right side even after a cd that succeeded.
constexpr wchar_t kStopUnlessEntered[] = L" & if errorlevel 1 goto :eof";
// The slot whose tool is the application launcher.
constexpr int kLauncherSlot = 1;
// Deliberate: a longer folder goes by its short form or is refused. The
// longest folder cmd.exe can make its current folder: MAX_PATH less the
// closing backslash and NUL the system adds (the refusal names the number).
constexpr size_t kMaxScriptFolder = MAX_PATH - 2;

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() &&
         CompareStringOrdinal(text.data() + text.size() - end.size(), static_cast<int>(end.size()),
                              end.data(), static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

std::wstring DoublePercents(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    out += c;
    if (c == L'%') out += L'%';
  }
  return out;
}

// Characters cmd.exe hands to a program unchanged when they stand bare on a
// command line. Everything else (spaces, & | < > ^ ( ) , ; = ! % and the
// like) puts the argument in quotes.
bool PassesBare(wchar_t c) {
  if (c >= 0x80) return true;  // kana, kanji and other letters
  if ((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) return true;
  return std::wstring_view(L"._-+@#$~[]{}'`").find(c) != std::wstring_view::npos;
}

Outcome Failure(std::wstring message) { return {false, std::move(message)}; }

// Whether `text` converts exactly to the code page; if not, which character
// stops it.
bool Fits(const std::wstring& text, UINT codePage, std::wstring* badCharacter) {
  Encoded e = EncodeText(text, codePage);
  if (!e.ok()) *badCharacter = *e.unrepresentable;
  return e.ok();
}

std::string LossyText(const std::wstring& text, UINT codePage) {
  int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

// Replaces the contents of the existing file `path` with `bytes`; when the
// write fails part way, the old contents go back. 0 or the system's error.
DWORD RewriteInPlace(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  const auto writeAll = [&file](const std::string& text) {
    DWORD done = 0;
    return SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == 0 &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
           done == text.size() && SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
  };
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return GetLastError();
  std::string old(size, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), old.data(), static_cast<DWORD>(old.size()), &read, nullptr))
    return GetLastError();
  old.resize(read);
  if (writeAll(bytes)) return 0;
  const DWORD error = GetLastError();
  writeAll(old);
  return error;
}

}  // namespace

std::wstring SlotScriptName(int slot) {
  return L"plum_dock" + DecimalText(static_cast<unsigned long>(slot)) + L".bat";
}

std::wstring SlotScriptPath(const std::wstring& appFolder, int slot) {
  return appFolder + SlotScriptName(slot);
}

namespace {

struct DroppedPath {
  std::wstring folder;  // everything before the last backslash
  std::wstring name;    // everything after it
};
// Splits at the last backslash; nothing when the path has none.
std::optional<DroppedPath> SplitDroppedPath(std::wstring_view path) {
  const size_t k = path.find_last_of(L'\\');
  if (k == std::wstring_view::npos) return std::nullopt;
  return DroppedPath{std::wstring(path.substr(0, k)), std::wstring(path.substr(k + 1))};
}

// The folder as the script's "cd /d" line writes it: a bare drive gets its
// backslash back ("D:" names the drive's current folder, "D:\" its root), and
// every % is doubled so that cmd.exe does not expand it.
std::wstring ScriptFolder(std::wstring_view folder) {
  std::wstring out = DoublePercents(folder);
  if (out.size() == 2 && out[1] == L':') out += L'\\';
  return out;
}

// The file name as one argument of the tool: bare when cmd.exe passes every
// character through as it is, otherwise in double quotes; % doubled.
std::wstring ScriptArgument(std::wstring_view name) {
  bool bare = !name.empty();
  for (wchar_t c : name) bare = bare && PassesBare(c);
  std::wstring escaped = DoublePercents(name);
  return bare ? escaped : L"\"" + escaped + L"\"";
}

// Whether `tool` (the command as typed: a bare name, a path, a quoted path,
// with or without options after it; `namesFile` when it names an existing
// file as a whole) runs the Java launcher, java or javaw.
bool IsJavaLauncher(std::wstring_view tool, bool namesFile) {
  std::wstring_view program = tool;
  if (!namesFile && !program.empty() && program.front() == L'"')
    program = program.substr(1, program.find(L'"', 1) - 1);
  else if (!namesFile)
    program = program.substr(0, program.find_first_of(L" \t"));
  program = program.substr(program.find_last_of(L"\\/:") + 1);
  program = program.substr(0, program.find_last_of(L'.'));
  const auto is = [program](std::wstring_view name) {
    return program.size() == name.size() && EndsWithNoCase(program, name);
  };
  return is(L"java") || is(L"javaw");
}

// What follows the tool on its line for the dropped `name`: the name as one
// argument, except on the launcher slot when `launcher` runs there, which
// takes a class name (Hello.class runs as "Hello") and a jar after -jar.
std::wstring ToolArguments(int slot, bool launcher, std::wstring_view name) {
  if (slot == kLauncherSlot && launcher) {
    // Deliberate: the launcher runs a class by its name and a jar after -jar; a source
    // file (run directly by JDK 11 and later) goes as it is.
    if (EndsWithNoCase(name, L".class")) return ScriptArgument(name.substr(0, name.size() - 6));
    if (EndsWithNoCase(name, L".jar")) return L"-jar " + ScriptArgument(name);
  }
  return ScriptArgument(name);
}

// The tool command as typed, except when it names an existing file as a
// whole (`namesFile`) and is not quoted yet: then it is quoted when any of
// its characters means something to cmd.exe, and every % is doubled.
// Deliberate: quoted for any cmd.exe metacharacter, not only a space, and %
// doubled, so that a folder such as "R&D" or "100%" still names the tool.
std::wstring ScriptToolCommand(std::wstring_view tool, bool namesFile) {
  const bool quoted = !tool.empty() && tool.front() == L'"';
  if (!namesFile || quoted) return std::wstring(tool);
  // A path: drive colons and backslashes are plain, anything else cmd.exe
  // would act on (& ^ % ( ) spaces and the like) puts it in quotes.
  bool bare = true;
  for (wchar_t c : tool) bare = bare && (PassesBare(c) || c == L'\\' || c == L':');
  const std::wstring escaped = DoublePercents(tool);
  return bare ? escaped : L"\"" + escaped + L"\"";
}

// The five lines of a slot script, each ended by CR LF. The second ends the
// batch when the folder cannot be entered, so the tool never runs elsewhere
// and cmd.exe's error stays on the screen; a network folder (\\server\share)
// is entered with pushd, which lends it a drive letter, and left with popd.
// The fifth ends the batch on the same line. The arguments are in their final
// written form (see the functions above).
std::wstring ComposeSlotScript(std::wstring_view tool, std::wstring_view folder,
                               std::wstring_view argument) {
  // Deliberate: pushd and popd, since Windows' cmd.exe refuses a network
  // folder as its current folder.
  const bool network = folder.substr(0, 2) == L"\\\\";
  std::wstring s;
  s += L"cd\\\r\n";
  // Deliberate: "cd /d", so that a file on another drive runs in its folder too;
  // the batch ends when the folder cannot be entered.
  s += (network ? L"pushd \"" : L"cd /d \"") + std::wstring(folder) + L"\"" + kStopUnlessEntered +
       L"\r\n";
  s += L"cls\r\n";
  s += std::wstring(kBanner) + L"\r\n";
  s += std::wstring(tool) + L" " + std::wstring(argument) + (network ? L" & popd" : L"") +
       kEndOfBatch + L"\r\n";
  return s;
}

}  // namespace

Outcome WriteSlotScript(int slot, const std::wstring& droppedPath, const std::wstring& appFolder,
                        const std::wstring& toolCommand) {
  const std::wstring scriptPath = SlotScriptPath(appFolder, slot);
  const std::wstring cannotWrite = L"スクリプト " + scriptPath + L" を書けません。\n";
  std::optional<DroppedPath> parts = SplitDroppedPath(droppedPath);
  if (!parts)
    return Failure(cannotWrite + L"ドロップされたパス「" + droppedPath +
                   L"」にフォルダーの区切り (\\) がありません。");

  const UINT codePage = GetOEMCP();
  const std::wstring codePageName = L"文字コード (コードページ " + DecimalText(codePage) + L")";
  std::wstring bad;

  // The folder: as it stands, or its short form when that is representable
  // and short enough for cmd.exe to enter.
  std::wstring folderForm = ScriptFolder(parts->folder);
  const bool tooLong = parts->folder.size() > kMaxScriptFolder;
  if (tooLong || !Fits(folderForm, codePage, &bad)) {
    const bool bareDrive = parts->folder.size() == 2 && parts->folder[1] == L':';
    std::wstring shortFolder = ShortPathOf(bareDrive ? parts->folder + L"\\" : parts->folder);
    std::wstring ignored;
    if (!shortFolder.empty() && shortFolder.size() <= kMaxScriptFolder &&
        Fits(ScriptFolder(shortFolder), codePage, &ignored)) {
      // Ending in a backslash: Wine's cmd.exe otherwise enters the folder by
      // its last name's long form, which can be too long again.
      if (shortFolder.back() != L'\\') shortFolder += L'\\';
      folderForm = ScriptFolder(shortFolder);
    } else if (tooLong)
      return Failure(cannotWrite + L"フォルダー「" + parts->folder + L"」のパスは " +
                     DecimalText(static_cast<unsigned long>(parts->folder.size())) +
                     L" 文字あり、コマンド プロンプトが開けるフォルダーの長さ (258 文字まで) "
                     L"を超えています。短い名前 (8.3 形式) でも収まりません。"
                     L"ファイルをもっと浅いフォルダーに移してからドロップしてください。");
    else
      return Failure(cannotWrite + L"フォルダー「" + parts->folder + L"」の文字 " +
                     DescribeCharacter(bad) + L" はコマンド プロンプトの" + codePageName +
                     L"で表せません。");
  }

  const DWORD attributes = GetFileAttributesW(toolCommand.c_str());
  const bool namesFile =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);

  // The name is never shortened: the tools need its real name and extension.
  const std::wstring argumentForm =
      ToolArguments(slot, IsJavaLauncher(toolCommand, namesFile), parts->name);
  if (!Fits(argumentForm, codePage, &bad))
    return Failure(cannotWrite + L"ファイル名「" + parts->name + L"」の文字 " +
                   DescribeCharacter(bad) + L" はコマンド プロンプトの" + codePageName +
                   L"で表せません。名前を変えてからドロップしてください。");
  std::wstring toolForm = ScriptToolCommand(toolCommand, namesFile);
  if (!Fits(toolForm, codePage, &bad)) {
    const std::wstring shortTool = namesFile ? ShortPathOf(toolCommand) : std::wstring();
    const std::wstring shortForm = ScriptToolCommand(shortTool, true);
    std::wstring ignored;
    if (!shortTool.empty() && Fits(shortForm, codePage, &ignored))
      toolForm = shortForm;
    else
      return Failure(cannotWrite + L"ツールのコマンド「" + toolCommand + L"」の文字 " +
                     DescribeCharacter(bad) + L" はコマンド プロンプトの" + codePageName +
                     L"で表せません。設定を見直してください。");
  }

  // Folder, name and tool are known to fit; only the banner may not, on a
  // system whose console code page has no Japanese, and it is only a banner.
  const std::wstring text = ComposeSlotScript(toolForm, folderForm, argumentForm);
  Encoded encoded = EncodeText(text, codePage);
  const std::string bytes = encoded.ok() ? encoded.bytes : LossyText(text, codePage);

  // Write a sibling file and move it over the script, so a failed write never
  // leaves a half-written script to run.
  const std::wstring temporary = scriptPath + L".new";
  {
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failure(cannotWrite + SystemMessage(GetLastError()));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      DWORD error = GetLastError();
      file.reset();
      DeleteFileW(temporary.c_str());
      return Failure(cannotWrite + SystemMessage(error));
    }
  }
  if (MoveFileExW(temporary.c_str(), scriptPath.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return {};
  // Deliberate: a held script is rewritten in place. The move is refused while
  // a cmd.exe still runs the old script and holds it open (Wine's does, for
  // the batch's whole run, sharing writes). The new text is known to be
  // writable; put it into the script itself.
  const DWORD error = RewriteInPlace(scriptPath, bytes);
  DeleteFileW(temporary.c_str());
  if (error) return Failure(cannotWrite + SystemMessage(error));
  return {};
}

}  // namespace plum
