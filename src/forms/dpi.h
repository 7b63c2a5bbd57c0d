// The forms are laid out at the DPI of the monitor each window is on: sizes
// are given for 96 DPI (or in twips and points) and scaled to it. Functions
// newer than the oldest supported system come from common/late_import.h.
// Deliberate: per-monitor DPI (the manifest asks for it), so that the system
// never stretches the windows into blur on a second monitor of another DPI.
#pragma once

#include <windows.h>

#include "common/handles.h"
#include "common/late_import.h"

namespace plum {

inline constexpr int kBaseDpi = 96;

// The DPI the system gives the whole program: its stock fonts and metrics
// are made for it.
inline int ScreenDpi() {
  const ScreenDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : kBaseDpi;
  return dpi > 0 ? dpi : kBaseDpi;
}

// The DPI of the monitor `hwnd` is on; the system's DPI where the system
// does not tell monitors apart.
inline int WindowDpi(HWND hwnd) {
  const auto get = late.GetDpiForWindow.get();
  const int dpi = get ? static_cast<int>(get(hwnd)) : 0;
  return dpi > 0 ? dpi : ScreenDpi();
}

// A length of `pixels` at 96 DPI, at `dpi`.
inline int Scale(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

// A system metric (SM_CXSMICON...) at `dpi`.
inline int MetricForDpi(int index, int dpi) {
  if (const auto get = late.GetSystemMetricsForDpi.get()) return get(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

// A font made for the system's DPI (a stock font, a control's own) at a
// window's DPI: the font itself where it serves, else a scaled copy it owns.
class DpiFont {
 public:
  DpiFont() = default;
  DpiFont(HFONT font, int dpi) : font_(font) {
    const int screenDpi = ScreenDpi();
    LOGFONTW lf;
    if (dpi == screenDpi || !GetObjectW(font, sizeof lf, &lf)) return;
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, screenDpi);
    lf.lfWidth = MulDiv(lf.lfWidth, dpi, screenDpi);
    scaled_.reset(CreateFontIndirectW(&lf));
  }
  HFONT get() const { return scaled_ ? scaled_.get() : font_; }
  bool scaled() const { return scaled_.valid(); }

 private:
  HFONT font_ = nullptr;
  FontHandle scaled_;
};

// Sizes `hwnd` so that its client area is `width` x `height`, whatever its
// frame and menu bar take at its DPI: a narrow window may wrap its menu bar
// onto a second line, so the fit is measured, not computed. The window's top
// left stays.
inline void FitClientArea(HWND hwnd, int width, int height) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT client, window;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &window);
    const int dx = width - (client.right - client.left);
    const int dy = height - (client.bottom - client.top);
    if (dx == 0 && dy == 0) return;
    SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + dx,
                 window.bottom - window.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace plum
