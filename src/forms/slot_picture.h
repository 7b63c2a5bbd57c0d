// The slot pictures, drawn at 100%, 150% and 200%, for a slot image of any
// size.
#pragma once

#include <windows.h>

#include "common/handles.h"

namespace plum {

// Slot `slot`'s picture, `size` pixels square: the drawing of that size, or
// the nearest larger one (the largest beyond it) scaled smoothly.
BitmapHandle SlotPicture(HINSTANCE instance, int slot, int size);

}  // namespace plum
