// The real dock at PLUM_TEST_DPI (tests/wine-session.sh --dpi): its sizes and pictures follow it.
#include <gtest/gtest.h>

#include "common/handles.h"
#include "common/slots.h"
#include "res/resource.h"
#include "support.h"

namespace {

using namespace t;

const int kDpi = _wgetenv(L"PLUM_TEST_DPI") ? _wtoi(_wgetenv(L"PLUM_TEST_DPI")) : 0;
int Px(int pixelsAt96) { return MulDiv(pixelsAt96, kDpi, 96); }
int Tw(int twips) { return MulDiv(twips, kDpi, 1440); }

std::vector<LONG> ClientArea(HWND w) {  // left, top, width, height
  RECT r;
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The colours of a slot picture's square at `x`, `y` of `dc`, less what the next slot covers.
std::vector<DWORD> Pixels(HDC dc, int x, int y) {
  const int size = Px(50);
  const plum::BitmapHandle bitmap(CreateCompatibleBitmap(dc, size, size));
  {
    const plum::MemoryDc copy(CreateCompatibleDC(dc));
    const plum::Selection into(copy.get(), bitmap.get());
    BitBlt(copy.get(), 0, 0, size, size, dc, x, y, SRCCOPY);
  }
  BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<DWORD> pixels(size * size);
  GetDIBits(dc, bitmap.get(), 0, size, pixels.data(), &info, DIB_RGB_COLORS);
  for (int i = 0; i < size * size; ++i)
    if (i % size >= Px(48)) pixels[i] = 0;
  return pixels;
}

TEST(Dpi, WindowsPicturesAndDialogsFollowTheDpi) {
  ASSERT_GE(kDpi, 96) << "runs in tests/wine-session.sh --dpi";
  SetProcessDPIAware();  // measured in the screen's own pixels, as the dock lays itself out
  Scratch app{L"dpi app"};
  Dock dock(app.dir);
  ASSERT_TRUE(dock.main);
  const std::vector<LONG> client = ClientArea(dock.main);
  EXPECT_EQ(std::vector<LONG>({client[2], client[3]}), std::vector<LONG>({Px(146), Px(51)}));

  // Each picture is its own drawing at that size, not a smaller one stretched.
  HMODULE exe =
      LoadLibraryExW((app.dir / L"plum_dock.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const plum::ScreenDc screen(GetDC(nullptr));
  const plum::MemoryDc memory(CreateCompatibleDC(screen.get()));
  for (int i = 0; i < plum::kSlotCount; ++i) {
    const std::vector<LONG> slot = ClientArea(dock.Slot(i));
    EXPECT_EQ(std::vector<LONG>({slot[0] - client[0], slot[1] - client[1], slot[2], slot[3]}),
              std::vector<LONG>({Px(48) * i, 0, Px(50), Px(50)}));
    const int drawing = (kDpi <= 96 ? IDB_RUN0 : kDpi <= 144 ? IDB_RUN0_150 : IDB_RUN0_200) + i;
    const plum::BitmapHandle picture(
        static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(drawing), IMAGE_BITMAP, 0, 0, 0)));
    const plum::Selection shown(memory.get(), picture.get());
    EXPECT_TRUE(WaitFor([&] {  // drawn, and over the console, which may come up late
      dock.Raise();
      return Pixels(screen.get(), slot[0], slot[1]) == Pixels(memory.get(), 0, 0);
    })) << "slot " + std::to_string(i);
  }
  FreeLibrary(exe);

  dock.Keys(L"F10 Down Return");
  HWND settings = dock.Window(L"設定");
  ASSERT_TRUE(settings);
  EXPECT_EQ(ClientArea(settings), std::vector<LONG>({Tw(2760), Tw(3750), Tw(6030), Tw(2700)}));
  Click(GetDlgItem(settings, IDC_SET_CANCEL));
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(settings); }));
  dock.Keys(L"F10 Right Down Return");
  HWND about = dock.Window(L"", L"PlumDockVersionForm");
  ASSERT_TRUE(about);
  const std::vector<LONG> box = ClientArea(about);
  EXPECT_EQ(std::vector<LONG>({box[2], box[3]}), std::vector<LONG>({Tw(4620), Tw(2805)}));
}

}  // namespace
