// Window geometry given in twips (1/1440 inch), converted to pixels at the
// screen's resolution (15 twips a pixel at 96 dpi).
#pragma once

#include <windows.h>

namespace plum {

inline int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

struct TwipsRect {
  int left, top, width, height;
};

}  // namespace plum
