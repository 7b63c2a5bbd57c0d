#include "slots/java_files.h"

#include <optional>

#include "common/text.h"

namespace plum {
namespace {

// Where the source goes on after `at` with comments, white space and a
// byte-order mark skipped; the text's end when nothing follows.
size_t SkipBlanks(std::wstring_view text, size_t at) {
  while (at < text.size()) {
    if (iswspace(text[at]) || text[at] == 0xFEFF) {
      ++at;
    } else if (text.substr(at, 2) == L"//") {
      at = text.find(L'\n', at);
    } else if (text.substr(at, 2) == L"/*") {
      at = text.find(L"*/", at + 2);
      if (at != std::wstring_view::npos) at += 2;
    } else {
      return at;
    }
  }
  return text.size();
}

bool IsNamePart(wchar_t c) { return iswalnum(c) || c == L'_' || c == L'$' || c >= 0x80; }

// The class file's modified UTF-8 (surrogates encoded one by one) as text.
std::wstring DecodeModifiedUtf8(std::string_view bytes) {
  std::wstring text;
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 0;
    if (n == 0 || i + n > bytes.size()) return {};
    unsigned code = n == 1 ? b : n == 2 ? b & 0x1F : b & 0x0F;
    for (size_t k = 1; k < n; ++k)
      code = code << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    text += static_cast<wchar_t>(code);
    i += n;
  }
  return text;
}

}  // namespace

SourceBytes ClassifySource(std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return SourceBytes::kAscii;
  const bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                        static_cast<int>(bytes.size()), nullptr, 0) > 0;
  return utf8 ? SourceBytes::kUtf8 : SourceBytes::kOther;
}

std::wstring JavaEncodingName(UINT codePage) {
  switch (codePage) {
    case 932:
      return L"MS932";
    case 936:
      return L"GBK";
    case 949:
      return L"MS949";
    case 950:
      return L"MS950";
    case 874:
      return L"MS874";
    case CP_UTF8:
      return L"UTF-8";
    default:
      return L"Cp" + DecimalText(codePage);  // Cp1252 and the other Windows pages
  }
}

std::wstring PackageOfSource(std::string_view bytes, UINT ansiCodePage) {
  const UINT codePage = ClassifySource(bytes) == SourceBytes::kOther ? ansiCodePage : CP_UTF8;
  const std::wstring text = DecodeText(bytes, codePage);
  size_t at = SkipBlanks(text, 0);
  if (text.size() - at <= 7 || text.compare(at, 7, L"package") != 0 || IsNamePart(text[at + 7]))
    return {};
  std::wstring name;
  for (at = SkipBlanks(text, at + 7); at < text.size() && text[at] != L';';
       at = SkipBlanks(text, at + 1)) {
    if (!IsNamePart(text[at]) && text[at] != L'.') return {};
    name += text[at];
  }
  if (at >= text.size() || name.empty() || name.front() == L'.' || name.back() == L'.') return {};
  return name;
}

ClassFile ReadClassFile(std::string_view bytes) {
  // Big-endian numbers of two and four bytes at `i`; 0 past the end.
  const auto u2 = [&bytes](size_t i) {
    return i + 2 <= bytes.size() ? static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) << 8 |
                                                         static_cast<unsigned char>(bytes[i + 1]))
                                 : 0u;
  };
  const auto u4 = [&u2](size_t i) { return u2(i) << 16 | u2(i + 2); };
  ClassFile file;
  if (bytes.substr(0, 4) != "\xCA\xFE\xBA\xBE") return file;
  file.major = u2(6);
  const unsigned count = u2(8);
  // Where constant `wanted` starts (`count`: where the constants end), past
  // the magic number, the versions and the count; 0 when the bytes end first.
  const auto constant = [&](unsigned wanted) -> size_t {
    size_t at = 10;
    for (unsigned i = 1; i < wanted; ++i) {
      // The size of each kind of constant after its tag; Long and Double take
      // two entries.
      static constexpr unsigned char kSizes[] = {0, 0, 0, 4, 4, 8, 8, 2, 2, 4, 4,
                                                 4, 4, 0, 0, 3, 2, 4, 4, 2, 2};
      if (at >= bytes.size()) return 0;
      const auto tag = static_cast<unsigned char>(bytes[at]);
      if (tag == 1) {
        at += 3 + u2(at + 1);
      } else if (tag < sizeof kSizes && kSizes[tag]) {
        at += 1 + kSizes[tag];
        if (tag == 5 || tag == 6) ++i;
      } else {
        return 0;
      }
    }
    return at < bytes.size() ? at : 0;
  };
  // The text of constant `index` when it is a Utf8 one.
  const auto text = [&](unsigned index) -> std::optional<std::wstring> {
    const size_t entry = index && index < count ? constant(index) : 0;
    if (!entry || bytes[entry] != 1) return std::nullopt;
    return DecodeModifiedUtf8(bytes.substr(entry + 3, u2(entry + 1)));
  };
  const size_t end = constant(count);
  const unsigned self = end ? u2(end + 2) : 0;  // after the access flags
  const size_t classEntry = self && self < count ? constant(self) : 0;
  if (!classEntry || bytes[classEntry] != 7) return file;
  file.name = text(u2(classEntry + 1)).value_or(L"");
  // Past the super class and the interfaces, the fields and the methods,
  // each with its attributes, to the class's own attributes.
  size_t at = end + 6;
  at += 2 + 2 * size_t{u2(at)};
  for (int members = 0; members < 2 && at < bytes.size(); ++members) {
    const unsigned n = u2(at);
    at += 2;
    for (unsigned i = 0; i < n && at < bytes.size(); ++i) {
      const unsigned attributes = u2(at + 6);
      at += 8;
      for (unsigned k = 0; k < attributes && at < bytes.size(); ++k) at += 6 + size_t{u4(at + 2)};
    }
  }
  const unsigned attributes = u2(at);
  at += 2;
  for (unsigned k = 0; k < attributes && at + 8 <= bytes.size(); ++k) {
    if (text(u2(at)) == L"SourceFile") file.sourceFile = text(u2(at + 6)).value_or(L"");
    at += 6 + size_t{u4(at + 2)};
  }
  return file;
}

size_t PackageRoot(std::wstring_view folder, std::wstring_view package) {
  std::wstring_view rest = folder;
  while (!package.empty()) {
    const size_t dot = package.find_last_of(L"./");
    const std::wstring_view last = package.substr(dot + 1);
    const size_t slash = rest.find_last_of(L'\\');
    if (slash == std::wstring_view::npos || !EqualNoCase(rest.substr(slash + 1), last)) return 0;
    rest = rest.substr(0, slash);
    package = dot == std::wstring_view::npos ? L"" : package.substr(0, dot);
  }
  // A drive or a share stays whole: "\\server" alone is no folder.
  if (rest.substr(0, 2) == L"\\\\" && rest.find(L'\\', 2) == rest.npos) return 0;
  return rest.size();
}

}  // namespace plum
