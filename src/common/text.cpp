#include "common/text.h"

namespace plum {
namespace {

bool IsExact(std::wstring_view text, UINT codePage, std::string* out) {
  if (text.empty()) {
    if (out) out->clear();
    return true;
  }
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0,
                                 nullptr, &usedDefault);
  if (size <= 0 || usedDefault) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size,
                      nullptr, &usedDefault);
  if (usedDefault) return false;
  // Some code pages map a character to a different one without reporting a
  // default: accept only text that converts back to itself.
  int back = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring round(static_cast<size_t>(back), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, round.data(), back);
  if (round != text) return false;
  if (out) *out = std::move(bytes);
  return true;
}

}  // namespace

Encoded EncodeText(std::wstring_view text, UINT codePage) {
  Encoded result;
  if (IsExact(text, codePage, &result.bytes)) return result;
  result.bytes.clear();
  for (size_t i = 0; i < text.size();) {
    size_t n = (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size()) ? 2 : 1;
    std::wstring_view ch = text.substr(i, n);
    if (!IsExact(ch, codePage, nullptr)) {
      result.unrepresentable = std::wstring(ch);
      return result;
    }
    i += n;
  }
  // Each character converts alone but not the whole: report the first one.
  result.unrepresentable = std::wstring(text.substr(0, 1));
  return result;
}

std::string EncodeOrSubstitute(std::wstring_view text, UINT codePage) {
  // The Unicode code pages take no flags, and hold every character.
  const DWORD flags = codePage == CP_UTF8 || codePage == CP_UTF7 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::wstring DecodeText(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  std::wstring text(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
  return text;
}

std::wstring DescribeCharacter(std::wstring_view ch) {
  unsigned long code = ch.empty() ? 0 : ch[0];
  if (ch.size() == 2 && IS_HIGH_SURROGATE(ch[0]) && IS_LOW_SURROGATE(ch[1]))
    code = 0x10000 + ((ch[0] - 0xD800ul) << 10) + (ch[1] - 0xDC00ul);
  wchar_t hex[16];
  wsprintfW(hex, L"U+%04lX", code);
  return L"「" + std::wstring(ch) + L"」(" + hex + L")";
}

std::wstring SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                           text.back() == L'.' || text.back() == L'。'))
    text.pop_back();
  const std::wstring code = ErrorCodeText(error);
  return text.empty() ? code : text + L" (" + code + L")";
}

std::wstring Concat(std::initializer_list<std::wstring_view> parts) {
  size_t size = 0;
  for (std::wstring_view part : parts) size += part.size();
  std::wstring text;
  text.reserve(size);
  for (std::wstring_view part : parts) text += part;
  return text;
}

std::wstring ErrorCodeText(DWORD code) { return L"エラー " + DecimalText(code); }

std::wstring DecimalText(unsigned long value) {
  wchar_t digits[16];
  wchar_t* p = digits + 16;
  do *--p = static_cast<wchar_t>(L'0' + value % 10);
  while (value /= 10);
  return std::wstring(p, digits + 16);
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() && EqualNoCase(text.substr(text.size() - end.size()), end);
}

}  // namespace plum
