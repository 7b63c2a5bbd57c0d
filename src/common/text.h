// Conversion between the program's UTF-16 text and the system code pages,
// and the system's own wording of an error code.
#pragma once

#include <windows.h>

#include <initializer_list>
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
// `text` in the code page, each character it cannot hold replaced by the
// code page's default character (never by a look-alike).
std::string EncodeOrSubstitute(std::wstring_view text, UINT codePage);
std::wstring DecodeText(std::string_view bytes, UINT codePage);

// Whether the texts are equal, or `text` ends with `end`, ignoring case.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view end);

// U+XXXX and the character itself, for messages about a character.
std::wstring DescribeCharacter(std::wstring_view ch);

// The parts one after another: one allocation instead of a chain of
// temporary strings.
std::wstring Concat(std::initializer_list<std::wstring_view> parts);

// A number in decimal digits (without the C library's formatting code).
std::wstring DecimalText(unsigned long value);

// The system's reason in the one shape every message gives it: the system's
// wording of a Win32 error code, without the trailing line break and full
// stop, then the code, "(エラー 5)"; the code alone when the system has no
// wording for it.
std::wstring SystemMessage(DWORD error);

// The code alone, "エラー 12291", for codes that are not the system's own (a
// dialog library's) and must not be read as one.
std::wstring ErrorCodeText(DWORD code);

}  // namespace plum
