// Conversion between the program's UTF-16 text and the system code pages,
// and the system's own wording of an error code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace plum {

// The result of converting UTF-16 text to a code page. When some character
// has no exact form in that code page (no best-fit substitutes: a yen sign
// never becomes a backslash), `bytes` is empty and `unrepresentable` holds
// the first such character (two code units for a surrogate pair).
struct Encoded {
  std::string bytes;
  std::optional<std::wstring> unrepresentable;
  bool ok() const { return !unrepresentable; }
};

Encoded EncodeText(std::wstring_view text, UINT codePage);
std::wstring DecodeText(std::string_view bytes, UINT codePage);

// U+XXXX and the character itself, for messages about a character.
std::wstring DescribeCharacter(std::wstring_view ch);

// A number in decimal digits (without the C library's formatting code).
std::wstring DecimalText(unsigned long value);

// The system's message for a Win32 error code, without the trailing line
// break, followed by the code itself.
std::wstring SystemMessage(DWORD error);

}  // namespace plum
