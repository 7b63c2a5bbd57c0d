// Reading the registry: the ANSI reader of one value, and the W readers of a
// key's subkey names and string values in a chosen registry view.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plum {

// The string stored in a registry value, or empty when the key cannot be
// opened or the value cannot be read. Read through the ANSI functions, so
// the key, the value name and the text pass through the ANSI code page; a
// value longer than 1023 bytes in that code page reads as empty. Values of
// type REG_EXPAND_SZ come back with their %NAME% variables expanded; values
// that are not text read as empty.
std::wstring ReadRegistryString(HKEY root, const std::wstring& subKey,
                                const std::wstring& valueName);

// `view` is KEY_WOW64_64KEY or KEY_WOW64_32KEY: which of the two views of a
// 64-bit system is read, whatever the bitness of this process.

// The names of the subkeys of `subKey`, in the registry's order; empty when
// the key cannot be opened.
std::vector<std::wstring> RegistrySubkeyNames(HKEY root, const std::wstring& subKey, REGSAM view);

// The text of a REG_SZ or REG_EXPAND_SZ value (the latter with its %NAME%
// variables expanded), of any length; empty when the key or value cannot be
// read or the value is not text.
std::wstring RegistryStringValue(HKEY root, const std::wstring& subKey,
                                 const std::wstring& valueName, REGSAM view);

}  // namespace plum
