// What plum_dock.exe does when memory runs out or the C++ library finds a
// fault in the program's use of it: one message, then the program ends.
//
// The program catches no exceptions and is built without them, so the
// library's allocation failures and checks end here instead of throwing.
// This keeps the library's exception classes, the strings they carry and the
// unwinder out of the executable. Linked into the executable only: the test
// programs keep the library's own versions.
//
// Should the link ever report a second definition of one of the functions
// below, the code has begun to use another of the library's failure points:
// add that one here too.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

#include "common/report.h"

namespace {

constexpr wchar_t kOutOfMemory[] = L"メモリが足りないため、PLUM_DOCK を終了します。";
constexpr wchar_t kInternalError[] = L"内部エラーのため、PLUM_DOCK を終了します。";

// Ends the program at once, as an unhandled failure would, after telling
// the user. Allocates nothing: it may run with the memory exhausted.
[[noreturn]] void Fail(const wchar_t* message, const char* detail) {
  wchar_t text[512];
  int n = 0;
  for (; message[n]; ++n) text[n] = message[n];
  if (detail && *detail) {
    text[n++] = L'\n';
    // The library's own wording, in ASCII.
    for (; *detail && n < 510; ++detail) {
      const auto c = static_cast<unsigned char>(*detail);
      text[n++] = c < 0x80 ? static_cast<wchar_t>(c) : L'?';
    }
  }
  text[n] = L'\0';
  plum::ReportFailure(nullptr, text, plum::Gravity::kFatal);
  std::_Exit(3);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = std::malloc(size ? size : 1)) return p;
  Fail(kOutOfMemory, nullptr);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace std {

void __throw_bad_alloc() { Fail(kOutOfMemory, nullptr); }
void __throw_bad_array_new_length() { Fail(kOutOfMemory, nullptr); }
void __throw_length_error(const char* what) { Fail(kOutOfMemory, what); }
void __throw_logic_error(const char* what) { Fail(kInternalError, what); }
void __throw_invalid_argument(const char* what) { Fail(kInternalError, what); }
void __throw_out_of_range(const char* what) { Fail(kInternalError, what); }
void __throw_out_of_range_fmt(const char* what, ...) { Fail(kInternalError, what); }
void __throw_bad_function_call() { Fail(kInternalError, "bad_function_call"); }

}  // namespace std
