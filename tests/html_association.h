// The ".html" association of the test bed's prefix, changed by a test and
// put back afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace test {

// Writes a value under HKEY_CLASSES_ROOT (fails the test if it cannot).
void WriteClassesValue(const std::wstring& key, const std::wstring& name, const std::wstring& text,
                       DWORD type = REG_SZ);

// Saves the whole ".html" key when made and puts it back when gone, with the
// test's own class removed. A copy left behind by an interrupted run is put
// back first. Tests that use it change global state: RUN_SERIAL.
class HtmlAssociation {
 public:
  static constexpr wchar_t kClass[] = L"PlumTest.Class";

  HtmlAssociation();
  ~HtmlAssociation();
  HtmlAssociation(const HtmlAssociation&) = delete;
  HtmlAssociation& operator=(const HtmlAssociation&) = delete;

  // ".html" names kClass, whose open command is `command`.
  void Associate(const std::wstring& command, DWORD type = REG_SZ);
  // Neither ".html" nor kClass.
  void Clear();

 private:
  void Restore();
  bool hadHtml_ = false;
};

}  // namespace test
