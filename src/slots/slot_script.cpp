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

// The five lines of a slot script, each ended by CR LF; the fifth ends the
// batch on the same line. The arguments are in their final written form (see
// the functions above).
std::wstring ComposeSlotScript(std::wstring_view tool, std::wstring_view folder,
                               std::wstring_view argument) {
  std::wstring s;
  s += L"cd\\\r\n";
  // Deliberate: "cd /d", so that a file on another drive runs in its folder too.
  s += L"cd /d \"" + std::wstring(folder) + L"\"\r\n";
  s += L"cls\r\n";
  s += std::wstring(kBanner) + L"\r\n";
  s += std::wstring(tool) + L" " + std::wstring(argument) + std::wstring(kEndOfBatch) + L"\r\n";
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

  // The folder: as it stands, or its short form when that is representable.
  std::wstring folderForm = ScriptFolder(parts->folder);
  if (!Fits(folderForm, codePage, &bad)) {
    const bool bareDrive = parts->folder.size() == 2 && parts->folder[1] == L':';
    std::wstring shortFolder = ShortPathOf(bareDrive ? parts->folder + L"\\" : parts->folder);
    std::wstring ignored;
    if (!shortFolder.empty() && Fits(ScriptFolder(shortFolder), codePage, &ignored))
      folderForm = ScriptFolder(shortFolder);
    else
      return Failure(cannotWrite + L"フォルダー「" + parts->folder + L"」の文字 " +
                     DescribeCharacter(bad) + L" はコマンド プロンプトの" + codePageName +
                     L"で表せません。");
  }

  // The name is never shortened: the tools need its real name and extension.
  const std::wstring argumentForm = ScriptArgument(parts->name);
  if (!Fits(argumentForm, codePage, &bad))
    return Failure(cannotWrite + L"ファイル名「" + parts->name + L"」の文字 " +
                   DescribeCharacter(bad) + L" はコマンド プロンプトの" + codePageName +
                   L"で表せません。名前を変えてからドロップしてください。");

  const DWORD attributes = GetFileAttributesW(toolCommand.c_str());
  const bool namesFile =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
