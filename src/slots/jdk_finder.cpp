#include "slots/jdk_finder.h"

#include <windows.h>

#include <algorithm>

#include "common/late_import.h"
#include "common/paths.h"
#include "common/registry.h"
#include "common/text.h"

namespace plum {
namespace {

// Where JDK installers register a JDK under HKLM: one subkey of `key` per version, whose
// subkey `below` (or itself) holds the JDK's folder in `value`.
struct Registration {
  const wchar_t* key;
  const wchar_t* below;
  const wchar_t* value;
};
constexpr Registration kRegistrations[] = {
    {L"SOFTWARE\\JavaSoft\\Java Development Kit", L"", L"JavaHome"},  // Oracle, 1.8 and before
    {L"SOFTWARE\\JavaSoft\\JDK", L"", L"JavaHome"},                   // Oracle, 9 and later
    {L"SOFTWARE\\Eclipse Adoptium\\JDK", L"\\hotspot\\MSI", L"Path"},
    {L"SOFTWARE\\Microsoft\\JDK", L"\\hotspot\\MSI", L"Path"},
    {L"SOFTWARE\\Azul Systems\\Zulu", L"", L"InstallationPath"},  // versions as "zulu-17"
};
// The shipped program runs 32-bit and most JDKs are 64-bit: both views are read.
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// "<home>\bin\<program>.exe" when that file exists; empty otherwise.
std::wstring ProgramIn(std::wstring home, const std::wstring& program) {
  if (home.empty()) return {};
  if (home.back() != L'\\' && home.back() != L'/') home += L'\\';
  std::wstring path = home + L"bin\\" + program + L".exe";
  return IsExistingFile(path) ? path : std::wstring();
}

// The full path of `name` in one of `folders`; empty when none has it.
std::wstring FoundIn(const std::wstring& folders, const std::wstring& name) {
  std::wstring found(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = SearchPathW(folders.c_str(), name.c_str(), nullptr,
                                     static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length == 0) return {};
    if (length < found.size()) {
      found.resize(length);
      return IsExistingFile(found) ? found : std::wstring();
    }
    found.resize(length);  // a longer path than the buffer takes
  }
  return {};
}

// The number that starts at or after `*at` in `version`, moving `*at` past
// it; -1 when none is left. Numbers past nine digits count as the largest.
long NextNumber(const std::wstring& version, size_t* at) {
  while (*at < version.size() && (version[*at] < L'0' || version[*at] > L'9')) ++*at;
  if (*at == version.size()) return -1;
  long number = 0;
  for (; *at < version.size() && version[*at] >= L'0' && version[*at] <= L'9'; ++*at)
    number = number < 100000000 ? number * 10 + (version[*at] - L'0') : number;
  return number;
}

// Where the numbers of `version` start that count: past the "1." of the old
// scheme ("1.8.0_392" is 8.0.392).
size_t FirstNumber(const std::wstring& version) {
  size_t at = 0;
  if (NextNumber(version, &at) != 1) return 0;
  size_t next = at;
  return NextNumber(version, &next) >= 0 ? at : 0;
}

}  // namespace

std::wstring ProgramOnPath(const std::wstring& program) {
  // cmd.exe looks in its current folder before the PATH; a script's current folder is the
  // dropped file's, which the dock's is not, so the PATH alone is asked.
  const std::wstring folders = EnvironmentValue(L"PATH");
  if (folders.empty()) return {};
  if (program.find(L'.') != std::wstring::npos) {
    std::wstring found = FoundIn(folders, program);
    if (!found.empty()) return found;
  }
  std::wstring extensions = EnvironmentValue(L"PATHEXT");
  if (extensions.empty()) extensions = L".COM;.EXE;.BAT;.CMD";
  size_t start = 0;
  while (start <= extensions.size()) {
    const size_t end = std::min(extensions.find(L';', start), extensions.size());
    const std::wstring extension = extensions.substr(start, end - start);
    std::wstring found = extension.empty() ? std::wstring() : FoundIn(folders, program + extension);
    if (!found.empty()) return found;
    start = end + 1;
  }
  return {};
}

// Deliberate: a JDK installed but not on the PATH is still found, so that
// the learner meets the JDK and not cmd.exe's "not recognized". Only a JDK
// whose bin folder has the program counts (appletviewer only in JDK 8 and
// earlier); both registry views, as the shipped dock runs 32-bit and most
// JDKs are 64-bit. With `atLeast`, only a JDK known to be of that Java or
// later counts (a class compiled by a newer JDK than the PATH's java), with `atMost` only one
// of that Java or earlier (the applet viewer's Java, which JDK 26 no longer has).
JdkProgram FindInstalledJdkProgram(const std::wstring& program, int atLeast, int atMost) {
  const bool bounded = atLeast || atMost;
  JdkProgram found;
  found.path = ProgramIn(EnvironmentValue(L"JAVA_HOME"), program);
  if (!found.path.empty() && bounded) found.java = JavaVersionOfProgram(found.path);
  if (!found.path.empty() && (!bounded || JavaInRange(found.java, atLeast, atMost))) return found;
  found = {};
  // The newest registered JDK that has the program; of two of one version,
  // the first registered.
  std::wstring newest;
  for (const Registration& registration : kRegistrations) {
    for (REGSAM view : kViews) {
      for (const std::wstring& version :
           RegistrySubkeyNames(HKEY_LOCAL_MACHINE, registration.key, view)) {
        if (!found.path.empty() && !NewerJdkVersion(version, newest)) continue;
        if (bounded && !JavaInRange(JavaVersionFromText(version), atLeast, atMost)) continue;
        const std::wstring home = RegistryStringValue(
            HKEY_LOCAL_MACHINE, Concat({registration.key, L"\\", version, registration.below}),
            registration.value, view);
        std::wstring path = ProgramIn(home, program);
        if (path.empty()) continue;
        found.path = std::move(path);
        newest = version;
      }
    }
  }
  found.java = found.path.empty() ? 0 : JavaVersionFromText(newest);
  return found;
}

bool JavaInRange(int java, int atLeast, int atMost) {
  return java && java >= atLeast && (!atMost || java <= atMost);
}

int JavaVersionFromText(const std::wstring& version) {
  size_t at = FirstNumber(version);
  return static_cast<int>(std::max(NextNumber(version, &at), 0L));
}

int JavaVersionOfProgram(const std::wstring& program) {
  // Every Windows java.exe has a version resource whose file version starts
  // with its Java: 8.0.3810.9 for Java 8 update 381, 17.0.15.0 for JDK 17.
  DWORD ignored = 0;
  const auto size = late.GetFileVersionInfoSizeW.get();
  const auto read = late.GetFileVersionInfoW.get();
  const auto query = late.VerQueryValueW.get();
  const DWORD length = size && read && query ? size(program.c_str(), &ignored) : 0;
  std::string data(length, '\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoLength = 0;
  if (length && read(program.c_str(), 0, length, data.data()) &&
      query(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoLength) &&
      infoLength >= sizeof *info && HIWORD(info->dwFileVersionMS))
    return HIWORD(info->dwFileVersionMS);
  // Otherwise (a Linux JDK's tool under Wine) the JDK's release file, in the
  // folder above the program's bin folder: JAVA_VERSION="21.0.2".
  const size_t bin = program.find_last_of(L"\\/");
  const size_t home = bin == std::wstring::npos ? bin : program.find_last_of(L"\\/", bin - 1);
  if (home == std::wstring::npos) return 0;
  const std::string release = ReadFileStart(program.substr(0, home) + L"\\release", 64 << 10);
  const std::string key = "JAVA_VERSION=\"";
  const size_t start = release.find(key);
  if (start == std::string::npos) return 0;
  const size_t end = release.find('"', start + key.size());
  return JavaVersionFromText(DecodeText(
      std::string_view(release).substr(start + key.size(), end - start - key.size()), CP_UTF8));
}

bool NewerJdkVersion(const std::wstring& a, const std::wstring& b) {
  size_t atA = FirstNumber(a);
  size_t atB = FirstNumber(b);
  for (;;) {
    const long numberA = NextNumber(a, &atA);
    const long numberB = NextNumber(b, &atB);
    if (numberA != numberB) return numberA > numberB;
    if (numberA < 0) return false;
  }
}

}  // namespace plum
