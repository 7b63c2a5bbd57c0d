// The part every form shares: its window handle and the window procedure
// that routes messages to the form object given at creation.
#pragma once

#include <windows.h>

namespace plum {

class FormWindow {
 public:
  HWND hwnd() const { return hwnd_; }

 protected:
  FormWindow() = default;
  ~FormWindow() = default;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  // The class's window procedure; CreateWindowExW gets `this` as its last
  // argument.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      form->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form && form->hwnd_ == hwnd) return form->Handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HWND hwnd_ = nullptr;
};

}  // namespace plum
