// What the dock reads in the files a learner drops: a source's bytes, its
// package, the class a class file defines, and whether a program's main
// reads its arguments.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace plum {

enum class SourceBytes { kAscii, kUtf8, kOther };
SourceBytes ClassifySource(std::string_view bytes);

// The Java name of a Windows code page: "MS932" for 932.
std::wstring JavaEncodingName(UINT codePage);

// The package a source declares ("chap01.sub"), or empty.
std::wstring PackageOfSource(std::string_view bytes, UINT ansiCodePage);

// What a class file says of itself; all empty or 0 where its bytes do not.
struct ClassFile {
  std::wstring name;        // the class it defines, as the file names it ("chap01/Hello")
  unsigned major = 0;       // its major version: 61 for JDK 17
  std::wstring sourceFile;  // the source it was compiled from, as javac named it
  // The main the launcher runs reads its String[] parameter: the static
  // main(String[]), else an instance one; false for a damaged file.
  bool readsArguments = false;
  // The Java it needs: its major version less 44 (52 is Java 8, 61 Java 17);
  // 0 when unknown.
  int java() const { return major > 44 ? static_cast<int>(major) - 44 : 0; }
};
ClassFile ReadClassFile(std::string_view bytes);

// Whether the first main(String[] name) a source declares (String... name
// and String name[] too) uses `name` again after it, outside comments and
// literals.
bool SourceReadsArguments(std::string_view bytes, UINT ansiCodePage);

// The length of the folder above `folder`'s last folders when those are
// `package`'s (by dots or slashes, in any case); 0 when they are not.
size_t PackageRoot(std::wstring_view folder, std::wstring_view package);

}  // namespace plum
