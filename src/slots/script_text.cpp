#include "slots/script_text.h"

#include "common/text.h"

namespace plum {
namespace {

// The first line leaves the folder cmd.exe starts in (the dock's own) for
// the root of its drive. It is kept as the first of the five lines the
// scripts have always had, which users' own copies of them may rely on.
constexpr wchar_t kFirstLine[] = L"cd\\";
constexpr wchar_t kBanner[] = L"@ECHO ------コマンドを実行します------";
// Deliberate: ends the batch when the folder line failed, before the cls
// that would wipe cmd.exe's error from the screen. cmd.exe sets errorlevel 1
// when cd or pushd cannot enter a folder; "||" cannot be used: Wine's cmd
// runs its right side even after a cd that succeeded.
constexpr wchar_t kStopUnlessEntered[] = L" & if errorlevel 1 goto :eof";
// Deliberate: ends the batch on the tool's own line. cmd.exe parses a whole
// line before it runs it and reads the next line only afterwards, from the
// offset where it left off: a script replaced while its tool still runs (a
// second drop on the same slot) would otherwise have the old cmd.exe go on
// reading the new text from the middle.
constexpr wchar_t kEndOfBatch[] = L" & goto :eof";
// Deliberate: the line that tells that the tool has ended, and its exit
// code, in the banner's style, stays on the tool's own line, before the end
// of the batch. "call" expands %errorlevel% when it runs, after the tool
// (the script's doubled % reads as one); the "@" keeps cmd.exe from echoing
// the echo command once more. The batch's own exit code then tells only
// whether the tool failed.
constexpr wchar_t kEndLine[] =
    L" & call @echo ------コマンドが終了しました (終了コード %%errorlevel%%)------";

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

bool IsBareDrive(std::wstring_view folder) { return folder.size() == 2 && folder[1] == L':'; }

// The folder as the folder line writes it: a bare drive gets its backslash
// back ("D:" names the drive's current folder, "D:\" its root), and every %
// is doubled so that cmd.exe does not expand it.
std::wstring ScriptFolder(std::wstring_view folder) {
  std::wstring out = DoublePercents(folder);
  if (IsBareDrive(out)) out += L'\\';
  return out;
}

// One argument of the tool: bare when cmd.exe passes every character through
// as it is (a / too: it separates a package's folders), otherwise in double
// quotes; % doubled.
std::wstring ScriptArgument(std::wstring_view word) {
  bool bare = !word.empty();
  for (wchar_t c : word) bare = bare && (PassesBare(c) || c == L'/');
  std::wstring escaped = DoublePercents(word);
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

// Why a path or name cannot go into the script.
struct Obstacle {
  bool tooLong = false;
  std::wstring character;  // the first one the code page cannot hold
};

bool Representable(std::wstring_view text, UINT codePage, Obstacle* obstacle) {
  Encoded encoded = EncodeText(text, codePage);
  if (!encoded.ok()) obstacle->character = *encoded.unrepresentable;
  return encoded.ok();
}

// Puts into `written` the script's text `text` of `path` when it fits (at
// most `maxLength` characters, all held by the code page), else the text
// `shortText` of its short form `shortPath` when that fits; false when
// neither does, and `obstacle` then tells what stops `path`.
bool AsItStandsOrShort(std::wstring_view path, std::wstring_view text, std::wstring_view shortPath,
                       std::wstring_view shortText, size_t maxLength, UINT codePage,
                       Obstacle* obstacle, std::wstring* written) {
  obstacle->tooLong = path.size() > maxLength;
  Obstacle ignored;
  if (!obstacle->tooLong && Representable(text, codePage, obstacle))
    written->assign(text);
  else if (!shortPath.empty() && shortPath.size() <= maxLength &&
           Representable(shortText, codePage, &ignored))
    written->assign(shortText);
  else
    return false;
  return true;
}

// One refusal: what cannot go into the script (「subject」), why, and what
// the user can do.
std::wstring Refusal(std::wstring_view what, std::wstring_view subject, std::wstring_view why,
                     std::wstring_view advice = L"") {
  return Concat({what, L"「", subject, L"」", why, advice});
}

std::wstring Unrepresentable(const Obstacle& obstacle, UINT codePage) {
  return Concat({L"の文字 ", DescribeCharacter(obstacle.character),
                 L" はコマンド プロンプトの文字コード (コードページ ", DecimalText(codePage),
                 L")で表せません。"});
}

}  // namespace

bool SplitDroppedPath(std::wstring_view path, DroppedPath* parts, std::wstring* refusal) {
  const size_t k = path.find_last_of(L'\\');
  if (k == std::wstring_view::npos) {
    *refusal = Refusal(L"ドロップされたパス", path, L"にフォルダーの区切り (\\) がありません。");
    return false;
  }
  *parts = {std::wstring(path.substr(0, k)), std::wstring(path.substr(k + 1))};
  return true;
}

bool FolderFitsAsItStands(std::wstring_view folder, UINT codePage) {
  Obstacle ignored;
  return folder.size() <= kMaxScriptFolder &&
         Representable(ScriptFolder(folder), codePage, &ignored);
}

ScriptText ComposeSlotScript(const SlotRun& run, const PathFacts& facts) {
  const UINT codePage = facts.codePage;
  ScriptText script;
  Obstacle obstacle;
  // Deliberate: a folder longer than cmd.exe can enter goes by its short
  // form or is refused. The short form ends in a backslash: Wine's cmd.exe
  // otherwise enters the folder by its last name's long form, which can be
  // too long again.
  std::wstring shortFolder = facts.shortFolder;
  if (!shortFolder.empty() && shortFolder.back() != L'\\') shortFolder += L'\\';
  std::wstring folder, tool;
  // The name is never shortened: the tools need its real name and extension.
  const std::wstring argument = ScriptArgument(run.argument);
  if (!AsItStandsOrShort(run.folder, ScriptFolder(run.folder), facts.shortFolder,
                         ScriptFolder(shortFolder), kMaxScriptFolder, codePage, &obstacle, &folder))
    script.refusal =
        obstacle.tooLong
            ? Refusal(
                  L"フォルダー", run.folder,
                  Concat({L"のパスは ", DecimalText(static_cast<unsigned long>(run.folder.size())),
                          L" 文字あり、コマンド プロンプトが開けるフォルダーの長さ (",
                          DecimalText(static_cast<unsigned long>(kMaxScriptFolder)),
                          L" 文字まで) を超えています。短い名前 (8.3 形式) でも収まりません。"}),
                  L"ファイルをもっと浅いフォルダーに移してからドロップしてください。")
            : Refusal(L"フォルダー", run.folder, Unrepresentable(obstacle, codePage));
  else if (!Representable(argument, codePage, &obstacle))
    script.refusal = Refusal(L"ファイル名", run.name, Unrepresentable(obstacle, codePage),
                             L"名前を変えてからドロップしてください。");
  else if (!AsItStandsOrShort(run.tool, ScriptToolCommand(run.tool, run.toolNamesFile),
                              facts.shortTool, ScriptToolCommand(facts.shortTool, true),
                              std::wstring::npos, codePage, &obstacle, &tool) ||
           !Representable(run.options, codePage, &obstacle))
    script.refusal = Refusal(L"ツールのコマンド", run.tool, Unrepresentable(obstacle, codePage),
                             L"設定を見直してください。");
  if (!script.ok()) return script;

  // Deliberate: a network folder (\\server\share) is entered with pushd,
  // which lends it a drive letter, and left with popd: Windows' cmd.exe
  // refuses a network folder as its current folder. Any other folder with
  // "cd /d", so that a file on another drive runs in its folder too.
  const bool network = run.folder.substr(0, 2) == L"\\\\";
  script.text =
      Concat({kFirstLine, L"\r\n", network ? L"pushd \"" : L"cd /d \"", folder, L"\"",
              kStopUnlessEntered, L"\r\ncls\r\n", kBanner, L"\r\n", tool, L" ", run.options,
              argument, kEndLine, network ? L" & popd" : L"", kEndOfBatch, L"\r\n"});
  return script;
}

}  // namespace plum
