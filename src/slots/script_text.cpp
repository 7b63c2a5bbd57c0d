#include "slots/script_text.h"

#include <optional>

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

// The lines of a program that reads its arguments. Deliberate: the prompt
// and the run stand on the tool's one line (see kEndOfBatch). set /p reads
// the typed line into a variable; for /f takes it back from what "set"
// prints, name=value, so that the value goes onto the tool's command line
// only after cmd.exe has parsed it: & | < > ^ ( ) % ! reach the program as
// typed, quotes group words, nothing runs or redirects. An empty line sets
// nothing (or the variable to nothing): the variable is first given "=",
// which leaves the loop's value empty, so that the loop still runs once.
// The loop's own line is not echoed: the prompt shows the command instead.
constexpr wchar_t kAskLine[] =
    L"& echo ------コマンドライン引数を入力して Enter を押してください (なければそのまま "
    L"Enter)------";
constexpr wchar_t kArgumentsVariable[] = L"PLUM_DOCK_ARGS";

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The first of two letters in a row that can name the for /f loop's
// variables (the name and the value "set" prints) in `body`. Inside the loop
// cmd.exe puts its values in place of %X and %~modifiersX also in the
// script's own names, where a doubled %% has become %: letters that follow
// a % in `body` (with ~, $ and : between) are left out. 0 when no two in a
// row are free.
wchar_t LoopLetter(std::wstring_view body) {
  std::wstring taken;
  for (size_t at = body.find(L'%'); at != std::wstring_view::npos; at = body.find(L'%', at + 1))
    for (size_t k = at + 1;
         k < body.size() && (IsAsciiLetter(body[k]) ||
                             std::wstring_view(L"~$:").find(body[k]) != std::wstring_view::npos);
         ++k)
      taken += body[k];
  for (wchar_t c = L'A'; c < L'z'; ++c) {
    const wchar_t next = static_cast<wchar_t>(c + 1);
    if (IsAsciiLetter(c) && IsAsciiLetter(next) && taken.find(c) == std::wstring::npos &&
        taken.find(next) == std::wstring::npos)
      return c;
  }
  return 0;
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

// A folder as a path the system takes: a bare drive gets its backslash
// ("D:" names the drive's current folder, "D:\" its root).
std::wstring FolderPath(std::wstring_view folder) {
  std::wstring path(folder);
  if (path.size() == 2 && path[1] == L':') path += L'\\';
  return path;
}

// The folder as the folder line writes it: as a path, with every % doubled
// so that cmd.exe does not expand it.
std::wstring ScriptFolder(std::wstring_view folder) { return DoublePercents(FolderPath(folder)); }

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

// `text`, the script's form of `path`, when `path` has at most `maxLength`
// characters and the code page holds `text`; else `shortText()`, the form
// of the path's short form (asked for only now), when the code page holds
// that; nothing when neither fits, and `obstacle` then tells what stops
// `path`.
template <class ShortText>
std::optional<std::wstring> AsItStandsOrShort(std::wstring_view path, std::wstring text,
                                              size_t maxLength, UINT codePage, Obstacle* obstacle,
                                              const ShortText& shortText) {
  obstacle->tooLong = path.size() > maxLength;
  if (!obstacle->tooLong && Representable(text, codePage, obstacle)) return text;
  std::optional<std::wstring> shortened = shortText();
  Obstacle ignored;
  if (shortened && Representable(*shortened, codePage, &ignored)) return shortened;
  return std::nullopt;
}

// One refusal: what cannot go into the script (「subject」), why, and what
// the user can do.
std::wstring Refusal(std::wstring_view what, std::wstring_view subject, std::wstring_view why,
                     std::wstring_view advice = L"") {
  return Concat({what, L"「", subject, L"」", why, advice});
}

ScriptText Refused(std::wstring refusal) { return {{}, std::move(refusal)}; }

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

ScriptText ComposeSlotScript(const SlotRun& run, UINT codePage, const ShortFormLookup& shortForm) {
  Obstacle obstacle;
  // Deliberate: a folder longer than cmd.exe can enter goes by its short
  // form or is refused. The short form ends in a backslash: Wine's cmd.exe
  // otherwise enters the folder by its last name's long form, which can be
  // too long again.
  const auto shortFolder = [&]() -> std::optional<std::wstring> {
    std::wstring shortened = shortForm(FolderPath(run.folder));
    if (shortened.empty() || shortened.size() > kMaxScriptFolder) return std::nullopt;
    if (shortened.back() != L'\\') shortened += L'\\';
    return ScriptFolder(shortened);
  };
  const std::optional<std::wstring> folder = AsItStandsOrShort(
      run.folder, ScriptFolder(run.folder), kMaxScriptFolder, codePage, &obstacle, shortFolder);
  if (!folder && obstacle.tooLong)
    return Refused(
        Refusal(L"フォルダー", run.folder,
                Concat({L"のパスは ", DecimalText(static_cast<unsigned long>(run.folder.size())),
                        L" 文字あり、コマンド プロンプトが開けるフォルダーの長さ (",
                        DecimalText(static_cast<unsigned long>(kMaxScriptFolder)),
                        L" 文字まで) を超えています。短い名前 (8.3 形式) でも収まりません。"}),
                L"ファイルをもっと浅いフォルダーに移してからドロップしてください。"));
  if (!folder)
    return Refused(Refusal(L"フォルダー", run.folder, Unrepresentable(obstacle, codePage)));

  // The name is never shortened: the tools need its real name and extension.
  const std::wstring argument = ScriptArgument(run.argument);
  if (!Representable(argument, codePage, &obstacle))
    return Refused(Refusal(L"ファイル名", run.name, Unrepresentable(obstacle, codePage),
                           L"名前を変えてからドロップしてください。"));

  const auto shortTool = [&]() -> std::optional<std::wstring> {
    const std::wstring shortened = run.toolNamesFile ? shortForm(run.tool) : std::wstring();
    if (shortened.empty()) return std::nullopt;
    return ScriptToolCommand(shortened, true);
  };
  const std::optional<std::wstring> tool =
      AsItStandsOrShort(run.tool, ScriptToolCommand(run.tool, run.toolNamesFile),
                        std::wstring::npos, codePage, &obstacle, shortTool);
  if (!tool || !Representable(run.options + run.viewerOptions, codePage, &obstacle))
    return Refused(Refusal(L"ツールのコマンド", run.tool, Unrepresentable(obstacle, codePage),
                           L"設定を見直してください。"));

  // The viewer's file, in the dock's data folder: the folder may hold what
  // cmd.exe acts on or the code page cannot (a user's name); its name is the
  // dock's own.
  std::wstring viewer;
  if (!run.viewer.empty()) {
    const size_t slash = run.viewer.find_last_of(L'\\');
    const auto shortViewer = [&]() -> std::optional<std::wstring> {
      const std::wstring folder = shortForm(run.viewer.substr(0, slash));
      if (folder.empty()) return std::nullopt;
      return ScriptToolCommand(folder + run.viewer.substr(slash), true);
    };
    const std::optional<std::wstring> path =
        AsItStandsOrShort(run.viewer, ScriptToolCommand(run.viewer, true), std::wstring::npos,
                          codePage, &obstacle, shortViewer);
    if (!path)
      return Refused(Refusal(L"フォルダー", run.viewer.substr(0, slash),
                             Unrepresentable(obstacle, codePage),
                             L"アプレットビュワーのファイルを置けません。"));
    viewer = *path + L" ";
  }

  // Deliberate: a network folder (\\server\share) is entered with pushd,
  // which lends it a drive letter, and left with popd: Windows' cmd.exe
  // refuses a network folder as its current folder. Any other folder with
  // "cd /d", so that a file on another drive runs in its folder too.
  const bool network = run.folder.substr(0, 2) == L"\\\\";
  // The dock's own lines follow the banner on its line, which is not echoed:
  // "echo text& echo" prints the text and nothing after it.
  std::wstring notices;
  for (const Notice& notice : run.notices) notices += L"& echo " + notice.text;
  const std::wstring command =
      Concat({*tool, L" ", run.options, viewer, run.viewerOptions, argument});
  const std::wstring end = Concat({kEndLine, network ? L" & popd" : L"", kEndOfBatch});
  // Deliberate: the prompt shows the name the tool gets only when it is a
  // plain one; no loop letters left free (a name full of %X) asks nothing.
  const wchar_t loop = run.asksArguments ? LoopLetter(command + end) : 0;
  std::wstring toolLine = command + end;
  if (loop) {
    bool plain = true;  // the code page holds it: else the drop was refused
    for (wchar_t c : run.argument)
      plain = plain && (c >= 0x80 || iswalnum(c) || c == L'_' || c == L'$' || c == L'.');
    notices += kAskLine;
    toolLine =
        Concat({L"@set \"", kArgumentsVariable, L"==\" & set /p \"", kArgumentsVariable, L"=java ",
                plain ? run.argument : L"", L"\" & for /f \"tokens=1* delims==\" %%",
                std::wstring(1, loop), L" in ('set ", kArgumentsVariable, L"') do @", command,
                L" %%", std::wstring(1, static_cast<wchar_t>(loop + 1)), end});
  }
  ScriptText script;
  script.viewer = !viewer.empty();
  script.text =
      Concat({kFirstLine, L"\r\n", network ? L"pushd \"" : L"cd /d \"", *folder, L"\"",
              kStopUnlessEntered, L"\r\ncls\r\n", kBanner, notices, L"\r\n", toolLine, L"\r\n"});
  return script;
}

}  // namespace plum
