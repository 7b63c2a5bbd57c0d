// Opening documents and web pages in the program the system associates with
// ".html" files, and where the help documents live.
#pragma once

#include <windows.h>

#include <string>

#include "common/report.h"

namespace plum {

// The help documents, from the program's folder (which ends in a backslash).
std::wstring ProgramHelpPath(const std::wstring& appFolder);  // "help.html"
std::wstring LibraryHelpPath(const std::wstring& appFolder);  // "help/index.html"

// The command line that opens `document` with the registered open command
// `command`: each %1, %L or %* in it becomes the document as one argument
// (in double quotes, unless the placeholder already stands inside quotes);
// with no placeholder the quoted document is added after one space.
std::wstring BrowserCommandLine(const std::wstring& command, const std::wstring& document);

// Starts the program associated with ".html" on `document` (a file path or
// a web address) and returns without waiting for it. The association is
// looked up again at every call. Nothing is started when no program is
// associated or its command cannot be started; the message then names the
// document and the reason.
Outcome OpenInBrowser(const std::wstring& document);

}  // namespace plum
