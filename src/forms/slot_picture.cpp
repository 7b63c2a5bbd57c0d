#include "forms/slot_picture.h"

#include "res/resource.h"

namespace plum {
namespace {

// The slot pictures as drawn: at 100%, 150% and 200%, each the resource of
// slot 0 followed by those of the other slots in order.
struct Drawing {
  int size;
  int slot0Id;
};
constexpr Drawing kDrawings[] = {{50, IDB_RUN0}, {75, IDB_RUN0_150}, {100, IDB_RUN0_200}};

}  // namespace

BitmapHandle SlotPicture(HINSTANCE instance, int slot, int size) {
  const Drawing* drawing = nullptr;
  for (const Drawing& d : kDrawings) {
    drawing = &d;
    if (d.size >= size) break;
  }
  BitmapHandle picture(static_cast<HBITMAP>(LoadImageW(
      instance, MAKEINTRESOURCEW(drawing->slot0Id + slot), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!picture || drawing->size == size) return picture;
  const ScreenDc screen(GetDC(nullptr));
  BitmapHandle scaled(CreateCompatibleBitmap(screen.get(), size, size));
  MemoryDc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
  if (!scaled || !from || !to) return picture;  // unscaled rather than none
  bool drawn;
  {
    const Selection fromPicture(from.get(), picture.get()), toScaled(to.get(), scaled.get());
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    drawn = StretchBlt(to.get(), 0, 0, size, size, from.get(), 0, 0, drawing->size, drawing->size,
                       SRCCOPY);
  }
  return drawn ? std::move(scaled) : std::move(picture);
}

}  // namespace plum
