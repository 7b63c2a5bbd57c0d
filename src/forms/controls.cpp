#include "forms/controls.h"

#include <string_view>

#include "forms/dpi.h"

namespace plum {

void CreateControls(HWND parent, HINSTANCE instance, std::span<const ControlSpec> table) {
  for (const ControlSpec& c : table)
    CreateWindowExW(std::wstring_view(c.windowClass) == L"EDIT" ? WS_EX_CLIENTEDGE : 0,
                    c.windowClass, c.text, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
}

void PlaceControls(HWND parent, std::span<const ControlSpec> table, int dpi,
                   std::span<const HFONT> fonts) {
  for (const ControlSpec& c : table) {
    HWND control = GetDlgItem(parent, c.id);
    if (!fonts.empty())
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[c.look]), FALSE);
    SetWindowPos(control, nullptr, TwipsToPixels(c.twips.left, dpi),
                 TwipsToPixels(c.twips.top, dpi), TwipsToPixels(c.twips.width, dpi),
                 TwipsToPixels(c.twips.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HMENU CreateMenuBar(std::span<const MenuSpec> menus) {
  HMENU bar = CreateMenu();
  for (const MenuSpec& menu : menus) {
    HMENU items = CreatePopupMenu();
    for (const MenuItemSpec& item : menu.items)
      AppendMenuW(items, item.text ? MF_STRING : MF_SEPARATOR, item.id, item.text);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), menu.caption);
  }
  return bar;
}

void FitClientTwips(HWND hwnd, const TwipsRect& client, int dpi) {
  FitClientArea(hwnd, TwipsToPixels(client.width, dpi), TwipsToPixels(client.height, dpi));
}

}  // namespace plum
