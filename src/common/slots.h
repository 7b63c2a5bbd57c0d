// The number of tool slots (applet viewer, launcher, compiler): spelled here
// only; loops, arrays, settings keys and pictures follow it.
#pragma once

namespace plum {

inline constexpr int kSlotCount = 3;

}  // namespace plum
