#include "common/registry.h"

#include <algorithm>
#include <string_view>

#include "common/handles.h"
#include "common/text.h"

namespace plum {
namespace {

// The registry's limit for the values we read, terminating NUL included.
constexpr DWORD kValueBufferSize = 1024;

std::wstring ExpandVariables(const std::wstring& text) {
  DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  for (int attempt = 0; size > 0 && attempt < 4; ++attempt) {
    std::wstring expanded(size, L'\0');
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
    if (needed == 0) break;
    if (needed <= size) {
      expanded.resize(needed - 1);
      return expanded;
    }
    size = needed;  // a variable grew in between
  }
  return text;
}

// The registry's limit for a key name, terminating NUL included.
constexpr DWORD kKeyNameSize = 256;

RegKey OpenKey(HKEY root, const std::wstring& subKey, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return {};
  return RegKey(opened);
}

}  // namespace

std::wstring ReadRegistryString(HKEY root, const std::wstring& subKey,
                                const std::wstring& valueName) {
  const Encoded key = EncodeText(subKey, CP_ACP);
  const Encoded name = EncodeText(valueName, CP_ACP);
  if (!key.ok() || !name.ok()) return {};
  HKEY opened = nullptr;
  if (RegOpenKeyA(root, key.bytes.c_str(), &opened) != ERROR_SUCCESS) return {};
  // With an empty sub-key the system hands back `root` itself: not ours to close.
  RegKey owned(opened != root ? opened : nullptr);

  char buffer[kValueBufferSize] = {};
  DWORD size = kValueBufferSize;
  DWORD type = REG_NONE;
  if (RegQueryValueExA(opened, name.bytes.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::string_view bytes(buffer, std::min(size, kValueBufferSize));
  bytes = bytes.substr(0, bytes.find('\0'));
  const std::wstring text = DecodeText(bytes, CP_ACP);
  return type == REG_EXPAND_SZ ? ExpandVariables(text) : text;
}

std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const std::wstring& subKey, REGSAM view) {
  std::vector<std::wstring> names;
  const RegKey key = OpenKey(root, subKey, view);
  if (!key) return names;
  wchar_t name[kKeyNameSize];
  for (DWORD i = 0;; ++i) {
    DWORD length = kKeyNameSize;
    const LONG result =
        RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS at the end
    names.emplace_back(name, length);
  }
  return names;
}

std::wstring RegistryStringValue(HKEY root, const std::wstring& subKey,
                                 const std::wstring& valueName, REGSAM view) {
  const RegKey key = OpenKey(root, subKey, view);
  if (!key) return {};
  // RRF_RT_REG_SZ takes REG_EXPAND_SZ too and hands it back expanded; the text ends in a NUL.
  DWORD size = 0;
  LONG result =
      RegGetValueW(key.get(), nullptr, valueName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size);
  for (int attempt = 0; result == ERROR_SUCCESS && attempt < 4; ++attempt) {
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    result = RegGetValueW(key.get(), nullptr, valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                          text.data(), &size);
    if (result == ERROR_SUCCESS) {
      text.resize(text.find(L'\0'));
      return text;
    }
    if (result == ERROR_MORE_DATA) result = ERROR_SUCCESS;  // it grew, or expanded, in between
  }
  return {};
}

}  // namespace plum
