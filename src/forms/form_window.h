// The part every form shares: its window handle, the window procedure that
// routes messages to the form object given at creation, and the form's
// layout at the DPI of the monitor it is on.
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
  // argument. A window moved to a monitor of another DPI takes the rectangle
  // the system suggests and is laid out again at the new DPI.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* form =
          static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      form->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form || form->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_DPICHANGED) {
      const RECT& r = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      form->LayOut(LOWORD(wParam));
      return 0;
    }
    return form->Handle(message, wParam, lParam);
  }
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Sizes the window and places and scales its contents for `dpi`: once the
  // window exists, and again whenever its DPI changes.
  virtual void LayOut(int dpi) = 0;

  // Registers a form's window class with this procedure. False when the
  // system refuses (GetLastError tells why); a class already registered is
  // no failure.
  static bool RegisterFormClass(HINSTANCE instance, const wchar_t* className, HBRUSH background) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

  // Shows the form modally over `owner` (which is disabled meanwhile), with
  // the focus on control `focusId`, and handles messages until EndModal.
  // False when the program is quitting (WM_QUIT is posted again for the main
  // loop); the caller then closes the form.
  bool RunModal(HWND owner, int focusId) {
    modal_ = true;
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, focusId));
    MSG msg;
    while (modal_) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return true;
  }

  // Ends the modal loop. The owner comes back first, so that it is the
  // window that becomes active when the form hides or goes.
  void EndModal(HWND owner) {
    if (owner) {
      EnableWindow(owner, TRUE);
      SetActiveWindow(owner);
    }
    modal_ = false;
  }

  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace plum
