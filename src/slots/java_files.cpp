#include "slots/java_files.h"

#include <algorithm>
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

// A source's text, read in UTF-8 unless its bytes are not, then in the
// system's code page.
std::wstring SourceText(std::string_view bytes, UINT ansiCodePage) {
  return DecodeText(bytes, ClassifySource(bytes) == SourceBytes::kOther ? ansiCodePage : CP_UTF8);
}

// The source's next word or mark from `*at` on, past blanks and comments,
// with `*at` moved past it; a string, text block or character literal is
// one mark, `"`. Empty at the source's end.
std::wstring_view NextToken(std::wstring_view text, size_t* at) {
  const size_t start = SkipBlanks(text, *at);
  *at = std::min(start + 1, text.size());
  if (start >= text.size()) return {};
  if (IsNamePart(text[start])) {
    while (*at < text.size() && IsNamePart(text[*at])) ++*at;
  } else if (text[start] == L'"' || text[start] == L'\'') {
    const std::wstring_view quote = text.substr(start, text.substr(start, 3) == L"\"\"\"" ? 3 : 1);
    size_t end = start + quote.size();
    while (end < text.size() && text.substr(end, quote.size()) != quote)
      end += text[end] == L'\\' ? 2 : 1;
    *at = std::min(end + quote.size(), text.size());
    return L"\"";
  }
  return text.substr(start, *at - start);
}

// Whether a method's code loads local `local` as a reference (aload_0,
// aload_1, aload n, wide aload n). The instructions are walked one by one
// with their lengths, so that an operand is never taken for one; code that
// holds an unknown instruction or runs past its end does not.
bool LoadsLocal(std::string_view code, unsigned local) {
  // The length of each instruction by its opcode; 0 for the switches and
  // wide, whose lengths vary, and past the last opcode.
  static constexpr char kLengths[] =
      "1111111111111111"  // 0x00
      "2323322222111111"  // 0x10: bipush, sipush, ldc..., the loads of local n
      "1111111111111111"
      "1111112222211111"  // 0x30: the stores of local n
      "1111111111111111"
      "1111111111111111"
      "1111111111111111"
      "1111111111111111"
      "1111311111111111"  // 0x80: iinc
      "1111111113333333"  // 0x90: the branches
      "3333333332001111"  // 0xA0: ret, tableswitch, lookupswitch
      "1133333335532311"  // 0xB0: field and method instructions, new, newarray
      "3311043355";       // 0xC0: checkcast .. jsr_w
  const auto byte = [&code](size_t i) {
    return i < code.size() ? static_cast<unsigned char>(code[i]) : 0u;
  };
  const auto u4 = [&byte](size_t i) {
    return byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3);
  };
  for (size_t pc = 0; pc < code.size();) {
    const unsigned op = byte(pc);
    unsigned long long length = op < sizeof kLengths - 1 ? kLengths[op] - '0' : 0;
    if (op == 0xAA || op == 0xAB) {
      // Padded so that the operands start at a multiple of four from the
      // code's start.
      const size_t at = pc + 4 - pc % 4;
      const long long second = static_cast<int32_t>(u4(at + 4));
      const long long cases = op == 0xAA ? static_cast<int32_t>(u4(at + 8)) - second + 1 : second;
      if (cases >= (op == 0xAA ? 1 : 0))
        length = at - pc + (op == 0xAA ? 12 + 4 * cases : 8 + 8 * cases);
    } else if (op == 0xC4) {
      const unsigned widened = byte(pc + 1);
      if (widened == 0x84) length = 6;  // iinc
      if ((widened >= 0x15 && widened <= 0x19) || (widened >= 0x36 && widened <= 0x3A) ||
          widened == 0xA9)
        length = 4;
    }
    if (!length || length > code.size() - pc) return false;
    if (op == 0x2A + local || (op == 0x19 && byte(pc + 1) == local) ||
        (op == 0xC4 && byte(pc + 1) == 0x19 && (byte(pc + 2) << 8 | byte(pc + 3)) == local))
      return true;
    pc += length;
  }
  return false;
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
  const std::wstring text = SourceText(bytes, ansiCodePage);
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
  // each with its attributes, to the class's own attributes. On the way, the
  // code of the static main(String[]) and of an instance one, whose
  // parameter is local 0 and local 1 (after `this`).
  size_t at = end + 6;
  at += 2 + 2 * size_t{u2(at)};
  std::optional<bool> reads[2];  // the static main's, an instance main's
  bool whole = true;             // every member and attribute ends before the file
  for (int members = 0; members < 2 && whole; ++members) {
    const unsigned n = u2(at);
    at += 2;
    for (unsigned i = 0; i < n && whole; ++i) {
      const unsigned local = u2(at) & 0x0008 ? 0 : 1;  // ACC_STATIC
      const bool main = members == 1 && text(u2(at + 2)) == L"main" &&
                        text(u2(at + 4)) == L"([Ljava/lang/String;)V";
      const unsigned attributes = u2(at + 6);
      at += 8;
      for (unsigned k = 0; k < attributes && at <= bytes.size(); ++k) {
        const size_t next = at + 6 + size_t{u4(at + 2)};
        if (main && text(u2(at)) == L"Code") {
          const size_t length = u4(at + 10);
          reads[local] =
              at + 14 + length <= next && LoadsLocal(bytes.substr(at + 14, length), local);
        }
        at = next;
      }
      whole = at <= bytes.size();
    }
  }
  file.readsArguments = whole && reads[0].value_or(reads[1].value_or(false));
  const unsigned attributes = u2(at);
  at += 2;
  for (unsigned k = 0; k < attributes && at + 8 <= bytes.size(); ++k) {
    if (text(u2(at)) == L"SourceFile") file.sourceFile = text(u2(at + 6)).value_or(L"");
    at += 6 + size_t{u4(at + 2)};
  }
  return file;
}

bool SourceReadsArguments(std::string_view bytes, UINT ansiCodePage) {
  const std::wstring text = SourceText(bytes, ansiCodePage);
  for (size_t at = 0; at < text.size();) {
    if (NextToken(text, &at) != L"main") continue;
    size_t k = at;
    if (NextToken(text, &k) != L"(") continue;
    // One parameter, String[] name, String... name or String name[]; the
    // name is its last word (after any "final").
    bool array = false;
    std::wstring_view name;
    std::wstring_view token = NextToken(text, &k);
    for (; !token.empty() && token != L")" && token != L","; token = NextToken(text, &k)) {
      size_t ahead = k;
      const std::wstring_view next = NextToken(text, &ahead);
      if (token == L"String")
        array = next == L"[" || next == L"." || NextToken(text, &ahead) == L"[";
      if (IsNamePart(token[0])) name = token;
    }
    if (token != L")" || !array || name == L"String") continue;
    for (token = NextToken(text, &k); !token.empty(); token = NextToken(text, &k))
      if (token == name) return true;
    return false;
  }
  return false;
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
