#include "browser/html_handler.h"

#include "common/process.h"
#include "common/registry.h"
#include "common/text.h"

namespace plum {
namespace {

bool IsPlaceholder(wchar_t c) { return c == L'1' || c == L'L' || c == L'l' || c == L'*'; }

// Appends `text` as the inside of a quoted argument, so that the usual
// command line rules give it back unchanged: backslashes before a quote, and
// before the closing quote when `closingQuoteFollows`, are doubled.
void AppendQuotedContent(std::wstring& out, const std::wstring& text, bool closingQuoteFollows) {
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(closingQuoteFollows ? backslashes * 2 : backslashes, L'\\');
}

}  // namespace

std::wstring ProgramHelpPath(const std::wstring& appFolder) { return appFolder + L"help.html"; }

std::wstring LibraryHelpPath(const std::wstring& appFolder) {
  return appFolder + L"help/index.html";
}

std::wstring BrowserCommandLine(const std::wstring& command, const std::wstring& document) {
  std::wstring line;
  bool inQuotes = false;
  bool placed = false;
  for (size_t i = 0; i < command.size(); ++i) {
    const wchar_t c = command[i];
    if (c == L'%' && i + 1 < command.size() && IsPlaceholder(command[i + 1])) {
      ++i;
      if (inQuotes) {
        const bool closing = i + 1 < command.size() && command[i + 1] == L'"';
        AppendQuotedContent(line, document, closing);
      } else {
        line += L'"';
        AppendQuotedContent(line, document, true);
        line += L'"';
      }
      placed = true;
      continue;
    }
    if (c == L'"') inQuotes = !inQuotes;
    line += c;
  }
  if (!placed) {
    line += L" \"";
    AppendQuotedContent(line, document, true);
    line += L'"';
  }
  return line;
}

Outcome OpenInBrowser(const std::wstring& document) {
  const std::wstring failure = document + L" を開けません。\n";
  const std::wstring fileClass = ReadRegistryString(HKEY_CLASSES_ROOT, L".html", L"");
  std::wstring command;
  if (!fileClass.empty())
    command = ReadRegistryString(HKEY_CLASSES_ROOT, fileClass + L"\\shell\\open\\command", L"");
  if (command.empty())
    return {false, failure +
                       L".html ファイルに関連付けられたプログラムがありません。"
                       L"ブラウザーを既定のプログラムに設定してください。"};

  if (const DWORD error = StartProcess(BrowserCommandLine(command, document)))
    return {false, failure + L".html ファイルに関連付けられたプログラム " + command +
                       L" を起動できません。\n" + SystemMessage(error)};
  return {};
}

}  // namespace plum
