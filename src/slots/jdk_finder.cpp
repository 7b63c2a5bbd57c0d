#include "slots/jdk_finder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/registry.h"

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

struct Jdk {
  std::wstring version;
  std::wstring home;
};

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  for (int attempt = 0; size > 0 && attempt < 4; ++attempt) {
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length < size) {
      value.resize(length);
      return value;
    }
    size = length;  // it grew in between
  }
  return {};
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "<home>\bin\<program>.exe" when that file exists; empty otherwise.
std::wstring ProgramIn(std::wstring home, const std::wstring& program) {
  if (home.empty()) return {};
  if (home.back() != L'\\' && home.back() != L'/') home += L'\\';
  std::wstring path = home + L"bin\\" + program + L".exe";
  return IsFile(path) ? path : std::wstring();
}

bool FoundIn(const std::wstring& folders, const std::wstring& name) {
  std::wstring found(MAX_PATH, L'\0');
  DWORD length = SearchPathW(folders.c_str(), name.c_str(), nullptr,
                             static_cast<DWORD>(found.size()), found.data(), nullptr);
  if (length >= found.size()) {
    found.resize(length);
    length = SearchPathW(folders.c_str(), name.c_str(), nullptr, length, found.data(), nullptr);
  }
  if (length == 0 || length >= found.size()) return false;
  found.resize(length);
  return IsFile(found);
}

std::vector<unsigned long> VersionNumbers(const std::wstring& version) {
  std::vector<unsigned long> numbers;
  bool inNumber = false;
  for (wchar_t c : version) {
    const bool digit = c >= L'0' && c <= L'9';
    if (digit && !inNumber) numbers.push_back(0);
    if (digit && numbers.back() < 100000000) numbers.back() = numbers.back() * 10 + (c - L'0');
    inNumber = digit;
  }
  if (numbers.size() > 1 && numbers[0] == 1) numbers.erase(numbers.begin());
  return numbers;
}

std::vector<Jdk> RegisteredJdks() {
  std::vector<Jdk> jdks;
  for (const Registration& registration : kRegistrations) {
    for (REGSAM view : kViews) {
      const std::wstring key = registration.key;
      for (const std::wstring& version : RegistrySubkeyNames(HKEY_LOCAL_MACHINE, key, view)) {
        const std::wstring subKey = key + L"\\" + version + registration.below;
        jdks.push_back(
            {version, RegistryStringValue(HKEY_LOCAL_MACHINE, subKey, registration.value, view)});
      }
    }
  }
  return jdks;
}

}  // namespace

bool FoundOnPath(const std::wstring& program) {
  // cmd.exe looks in its current folder before the PATH; a script's current folder is the
  // dropped file's, which the dock's is not, so the PATH alone is asked.
  const std::wstring folders = EnvironmentValue(L"PATH");
  if (folders.empty()) return false;
  if (program.find(L'.') != std::wstring::npos && FoundIn(folders, program)) return true;
  std::wstring extensions = EnvironmentValue(L"PATHEXT");
  if (extensions.empty()) extensions = L".COM;.EXE;.BAT;.CMD";
  size_t start = 0;
  while (start <= extensions.size()) {
    const size_t end = std::min(extensions.find(L';', start), extensions.size());
    const std::wstring extension = extensions.substr(start, end - start);
    if (!extension.empty() && FoundIn(folders, program + extension)) return true;
    start = end + 1;
  }
  return false;
}

std::wstring FindInstalledJdkProgram(const std::wstring& program) {
  std::wstring found = ProgramIn(EnvironmentValue(L"JAVA_HOME"), program);
  if (!found.empty()) return found;
  // The newest JDK that has the program; of two of one version, the first
  // registered.
  std::wstring newest;
  for (const Jdk& jdk : RegisteredJdks()) {
    if (!found.empty() && !NewerJdkVersion(jdk.version, newest)) continue;
    std::wstring path = ProgramIn(jdk.home, program);
    if (path.empty()) continue;
    found = std::move(path);
    newest = jdk.version;
  }
  return found;
}

bool NewerJdkVersion(const std::wstring& a, const std::wstring& b) {
  const std::vector<unsigned long> numbersA = VersionNumbers(a);
  const std::vector<unsigned long> numbersB = VersionNumbers(b);
  return std::lexicographical_compare(numbersB.begin(), numbersB.end(), numbersA.begin(),
                                      numbersA.end());
}

}  // namespace plum
