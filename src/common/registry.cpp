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
    std::wstring expanded;  // sized after it is made: smaller code at -Os than sized in the making
    expanded.resize(size);
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

}  // namespace plum
