// The real dock at PLUM_TEST_DPI (tests/wine-session.sh --dpi): sizes in pixels at 96
// DPI, in twips and the pictures follow it; drops and double-clicks still run.
#include <gtest/gtest.h>

#include "common/slots.h"
#include "res/resource.h"
#include "support.h"

namespace {

using namespace t;

const int kDpi =  // measured in the screen's own pixels, as the dock lays itself out
    SetProcessDPIAware() && _wgetenv(L"PLUM_TEST_DPI") ? _wtoi(_wgetenv(L"PLUM_TEST_DPI")) : 0;
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
  HDC copy = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
  SelectObject(copy, bitmap);
  BitBlt(copy, 0, 0, size, size, dc, x, y, SRCCOPY);
  DeleteDC(copy);
  BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<DWORD> pixels(size * size);
  GetDIBits(dc, bitmap, 0, size, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  for (int i = 0; i < size * size; ++i) pixels[i] *= i % size < Px(48);
  return pixels;
}

TEST(Dpi, WindowsPicturesAndDialogsFollowTheDpiAndSlotsStillRun) {
  ASSERT_GE(kDpi, 96) << "runs in tests/wine-session.sh --dpi";
  Scratch app{L"dpi app"}, work{L"dpi work"};
  const fs::path log = work.dir / L"tool.log", source = work.dir / L"Hello.java";
  PlaceTool(work.dir / L"appletviewer.exe");
  WriteFile(source, "class Hello {}");
  SetEnvironmentVariableW(L"PLUM_TOOL_LOG", log.c_str());
  SetEnvironmentVariableW(L"PATH", (work.dir.wstring() + L";" + _wgetenv(L"PATH")).c_str());
  Dock dock(app.dir);
  ASSERT_TRUE(dock.main);
  const std::vector<LONG> client = ClientArea(dock.main);
  EXPECT_EQ(std::vector<LONG>({client[2], client[3]}), std::vector<LONG>({Px(146), Px(51)}));

  // Each picture is its own drawing at that size, not a smaller one stretched.
  HMODULE exe =
      LoadLibraryExW((app.dir / L"plum_dock.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  dock.Raise();
  for (int i = 0; i < plum::kSlotCount; ++i) {
    const std::vector<LONG> slot = ClientArea(dock.Slot(i));
    EXPECT_EQ(std::vector<LONG>({slot[0] - client[0], slot[1] - client[1], slot[2], slot[3]}),
              std::vector<LONG>({Px(48) * i, 0, Px(50), Px(50)}));
    const int drawing = (kDpi <= 96 ? IDB_RUN0 : kDpi <= 144 ? IDB_RUN0_150 : IDB_RUN0_200) + i;
    HGDIOBJ picture = LoadImageW(exe, MAKEINTRESOURCEW(drawing), IMAGE_BITMAP, 0, 0, 0);
    DeleteObject(SelectObject(memory, picture));  // the previous slot's
    EXPECT_TRUE(Pixels(screen, slot[0], slot[1]) == Pixels(memory, 0, 0)) << "slot " << i;
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  FreeLibrary(exe);

  dock.Drop(0, {source});
  EXPECT_EQ(WaitRuns(log, 1).size(), 1u) << Utf8(dock.Message(0));
  dock.DoubleClick(0);
  EXPECT_EQ(WaitRuns(log, 2).size(), 2u) << Utf8(dock.Message(0));

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
