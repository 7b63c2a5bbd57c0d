// The forms' geometry in twips (1/1440 inch), converted to pixels at the
// window's DPI (15 twips a pixel at 96 DPI), and each form's controls as one
// table placed by the same two functions.
#pragma once

#include <windows.h>

#include <span>

namespace plum {

inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

struct TwipsRect {
  int left, top, width, height;
};

// A row of a form's table of controls. The place is in twips from the client
// area's top left; `look` picks the control's font from those the form hands
// to PlaceControls (and, in a form that needs it, its colours).
struct ControlSpec {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  TwipsRect twips;
  int look = 0;
};

// Creates the controls of `table` as children of `parent` in the table's
// order, which is their tab order (the Z order follows creation); an edit box
// gets a dialog's sunken edge. PlaceControls gives them their places.
void CreateControls(HWND parent, HINSTANCE instance, std::span<const ControlSpec> table);

// Places the controls of `table` at `dpi`, each with the font `fonts[look]`;
// with no fonts given, the controls keep theirs.
void PlaceControls(HWND parent, std::span<const ControlSpec> table, int dpi,
                   std::span<const HFONT> fonts = {});

// A menu bar as a table: each drop-down menu's caption and items, in order.
// An item without text is a separator.
struct MenuItemSpec {
  const wchar_t* text;
  UINT id;
};
struct MenuSpec {
  const wchar_t* caption;
  std::span<const MenuItemSpec> items;
};

HMENU CreateMenuBar(std::span<const MenuSpec> menus);

// Sizes a dialog for a client area of `client`'s width and height in twips
// at `dpi`.
void FitClientTwips(HWND hwnd, const TwipsRect& client, int dpi);

}  // namespace plum
