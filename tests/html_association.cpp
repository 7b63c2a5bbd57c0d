#include "html_association.h"

#include <gtest/gtest.h>

#include "common/handles.h"
#include "test_support.h"

namespace test {
namespace {

constexpr wchar_t kSaved[] = L"Software\\PlumDockTest\\.html";

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// Copies the tree `from` (which must exist) to a fresh `to`.
bool CopyTree(HKEY fromRoot, const wchar_t* from, HKEY toRoot, const wchar_t* to) {
  RegDeleteTreeW(toRoot, to);
  HKEY source = nullptr, target = nullptr;
  if (RegOpenKeyExW(fromRoot, from, 0, KEY_READ, &source) != ERROR_SUCCESS) return false;
  plum::RegKey ownedSource(source);
  if (RegCreateKeyExW(toRoot, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) !=
      ERROR_SUCCESS)
    return false;
  plum::RegKey ownedTarget(target);
  return RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
}

}  // namespace

void WriteClassesValue(const std::wstring& key, const std::wstring& name, const std::wstring& text,
                       DWORD type) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &h, nullptr),
            ERROR_SUCCESS)
      << Utf8(key);
  plum::RegKey owned(h);
  ASSERT_EQ(RegSetValueExW(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

HtmlAssociation::HtmlAssociation() {
  if (KeyExists(HKEY_CURRENT_USER, kSaved)) Restore();
  hadHtml_ = KeyExists(HKEY_CLASSES_ROOT, L".html");
  if (hadHtml_) {
    EXPECT_TRUE(CopyTree(HKEY_CLASSES_ROOT, L".html", HKEY_CURRENT_USER, kSaved));
  }
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
}

HtmlAssociation::~HtmlAssociation() {
  if (hadHtml_)
    Restore();
  else
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".html");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
}

void HtmlAssociation::Restore() {
  EXPECT_TRUE(CopyTree(HKEY_CURRENT_USER, kSaved, HKEY_CLASSES_ROOT, L".html"));
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\PlumDockTest");
}

void HtmlAssociation::Associate(const std::wstring& command, DWORD type) {
  WriteClassesValue(L".html", L"", kClass);
  WriteClassesValue(std::wstring(kClass) + L"\\shell\\open\\command", L"", command, type);
}

void HtmlAssociation::Clear() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".html");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
}

}  // namespace test
