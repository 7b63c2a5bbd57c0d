// Window geometry given in twips (1/1440 inch), converted to pixels at the
// window's DPI (15 twips a pixel at 96 DPI).
#pragma once

#include <windows.h>

#include "forms/dpi.h"

namespace plum {

inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

struct TwipsRect {
  int left, top, width, height;
};

// A dialog moved to a monitor of another DPI (WM_DPICHANGED): the suggested
// rectangle, then a client area of `client`'s twips at the new DPI. Returns
// the DPI, for laying out the controls again.
inline int ApplyDialogDpiChange(HWND hwnd, WPARAM wParam, LPARAM lParam, const TwipsRect& client) {
  const int dpi = ApplyDpiChange(hwnd, wParam, lParam);
  FitClientArea(hwnd, TwipsToPixels(client.width, dpi), TwipsToPixels(client.height, dpi));
  return dpi;
}

}  // namespace plum
