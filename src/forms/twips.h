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

}  // namespace plum
