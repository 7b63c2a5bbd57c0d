// End-to-end tests of the dock's help items and its About window: the real
// plum_dock.exe, with fake_tool.exe registered as the program for ".html".
// Every test here is RUN_SERIAL: one pointer, one screen, and the prefix's
// ".html" association changes while they run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "forms/main_form.h"
#include "gui_driver.h"
#include "homepage.h"
#include "html_association.h"

namespace test {
namespace {

const wchar_t kAboutClass[] = L"PlumDockVersionForm";

class Picture {
 public:
  explicit Picture(HWND hwnd, const std::wstring& file) {
    const RECT area = ClientRectOnScreen(hwnd);
    // ImageMagick picks the format by the name: a binary PPM, easy to read.
    if (!Screenshot(area, file)) {
      error_ = "no screen shot in " + Utf8(file);
      return;
    }
    const std::string bytes = ReadBytes(file);
    int maxValue = 0, consumed = 0;
    if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &width_, &height_, &maxValue, &consumed) != 3 ||
        (maxValue != 255 && maxValue != 65535) ||
        bytes.size() < consumed + 1 + size_t(width_) * height_ * 3 * (maxValue > 255 ? 2 : 1)) {
      error_ = "not a PPM of the client area: " + std::to_string(width_) + "x" +
               std::to_string(height_) + "/" + std::to_string(maxValue) + ", " +
               std::to_string(bytes.size()) + " bytes";
      width_ = height_ = 0;
      return;
    }
    sampleBytes_ = maxValue > 255 ? 2 : 1;  // 16-bit samples: the high byte first
    pixels_ = bytes.substr(consumed + 1);
  }
  bool ok() const { return width_ > 0; }
  const std::string& error() const { return error_; }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF At(int x, int y) const {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pixels_.data()) +
                             (size_t(y) * width_ + x) * 3 * sampleBytes_;
    return RGB(p[0], p[sampleBytes_], p[2 * sampleBytes_]);
  }
  // How many pixels of `rect` (client coordinates) have exactly this colour.
  int Count(const RECT& rect, COLORREF color) const {
    int n = 0;
    for (int y = rect.top; y < rect.bottom && y < height_; ++y)
      for (int x = rect.left; x < rect.right && x < width_; ++x) n += At(x, y) == color;
    return n;
  }

 private:
  int width_ = 0, height_ = 0, sampleBytes_ = 1;
  std::string pixels_;
  std::string error_;
};

std::string Hex(COLORREF c) {
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

class DockHelp : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log_.c_str());
    ASSERT_TRUE(FileExists(tool_)) << Utf8(tool_);
    ASSERT_TRUE(CreateDirectoryW(appFolder_.c_str(), nullptr)) << Utf8(appFolder_);
  }

  void TearDown() override {
    dock_.reset();
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", nullptr);
  }

  void Start() {
    WriteBytes(appFolder_ + L"plum_dock.ini",
               "[PATH]\r\nINDEX_APPLET=appletviewer\r\nINDEX_APP=java\r\nINDEX_COMPILE=javac\r\n"
               "[CHECK]\r\nTOP=1\r\n");
    LaunchOptions options;
    options.caption = kDockCaption;
    options.appFolder = appFolder_;
    dock_ = std::make_unique<DockProcess>(DockExe(), options);
    ASSERT_TRUE(dock_->ok()) << Utf8(dock_->error());
    main_ = dock_->window();
    // The console comes up with the dock and takes the front for a moment;
    // then the user clicks the dock's caption, as one would.
    Sleep(1500);
    RECT frame = WindowRectOnScreen(main_);
    Click(frame.left + 30, frame.top + 8);
  }

  void Menu(int command) { PostMessageW(main_, WM_COMMAND, command, 0); }

  std::vector<ToolRun> RunsAfter(size_t count) { return WaitForToolRuns(log_, count); }

  // Chooses the version item and waits for the About window.
  HWND OpenAbout() {
    Menu(plum::kCmdVersion);
    HWND about = nullptr;
    WaitFor([&] { return (about = FindTopLevel(dock_->pid(), kAboutClass)) != nullptr; });
    return about;
  }

  // Where the keys go: the dock's active and focus windows, and the foreground.
  std::string Focus() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info);
    auto name = [](HWND w) { return Utf8(ClassName(w)) + " \"" + Utf8(WindowText(w)) + "\""; };
    return "active " + name(info.hwndActive) + ", focus " + name(info.hwndFocus) + ", foreground " +
           name(GetForegroundWindow());
  }

  // Waits until the About window is gone and the main window is usable again.
  void ExpectClosed(HWND about) {
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }))
        << "the About window is destroyed; " << Focus();
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main_) != FALSE; }));
    EXPECT_EQ(FindTopLevel(dock_->pid(), kAboutClass), nullptr);
  }

  // Makes sure the keys reach the About window: under this Wine the X input
  // focus may lag behind the window's activation, so the user clicks its
  // background first.
  bool FocusAbout(HWND about) {
    const RECT client = ClientRectOnScreen(about);
    return WaitFor([&] { return GetForegroundWindow() == about; }) &&
           Click(client.left + 3, client.top + 3) &&
           WaitFor([&] { return GetForegroundWindow() == about; });
  }

  // A point of a control that nothing covers.
  POINT Uncovered(HWND control) {
    const POINT at = CenterOf(WindowRectOnScreen(control));
    EXPECT_TRUE(WaitFor([&] { return WindowFromPoint(at) == control; }))
        << "covered by " << Utf8(ClassName(WindowFromPoint(at))) << " "
        << Utf8(WindowText(WindowFromPoint(at)));
    return at;
  }

  ScratchFolder work_{L"dock help"};
  std::wstring appFolder_ = work_.path() + L"dock アプリ 1\\";
  std::wstring log_ = work_.path() + L"tool.log";
  std::wstring tool_ = ProgramFolder() + L"fake_tool.exe";
  HtmlAssociation association_;
  std::unique_ptr<DockProcess> dock_;
  HWND main_ = nullptr;
};

TEST_F(DockHelp, HelpItemsOpenTheirDocumentInTheRegisteredProgram) {
  Start();
  ASSERT_EQ(dock_->folder(), appFolder_);
  const std::wstring program = appFolder_ + L"help.html";
  const std::wstring library = appFolder_ + L"help/index.html";
  // With the usual placeholder, and with none: the document is one argument
  // either way. The association is looked up at every choice.
  const std::wstring commands[] = {L"\"" + tool_ + L"\" \"%1\"", L"\"" + tool_ + L"\""};
  size_t count = 0;
  for (const std::wstring& command : commands) {
    association_.Associate(command);
    Menu(plum::kCmdHelpPro);
    std::vector<ToolRun> runs = RunsAfter(++count);
    ASSERT_EQ(runs.size(), count) << Utf8(command);
    EXPECT_EQ(runs.back().program, tool_);
    EXPECT_EQ(runs.back().arguments, std::vector<std::wstring>{program}) << Utf8(command);

    Menu(plum::kCmdHelpLib);
    runs = RunsAfter(++count);
    ASSERT_EQ(runs.size(), count) << Utf8(command);
    EXPECT_EQ(runs.back().arguments, std::vector<std::wstring>{library}) << Utf8(command);
  }
  EXPECT_EQ(FindTopLevel(dock_->pid(), L"#32770"), nullptr) << "no message on success";
}

TEST_F(DockHelp, WithoutAnAssociationAMessageNamesTheDocument) {
  Start();
  struct Case {
    const char* what;
    int command;
    std::wstring document;
    bool withClass;  // ".html" names a class without an open command
  };
  const Case cases[] = {
      {"no .html key", plum::kCmdHelpPro, appFolder_ + L"help.html", false},
      {"no .html key", plum::kCmdHelpLib, appFolder_ + L"help/index.html", false},
      {"class without command", plum::kCmdHelpPro, appFolder_ + L"help.html", true},
      {"class without command", plum::kCmdHelpLib, appFolder_ + L"help/index.html", true},
  };
  for (const Case& c : cases) {
    association_.Clear();
    if (c.withClass) {
      WriteClassesValue(L".html", L"", HtmlAssociation::kClass);
      WriteClassesValue(std::wstring(HtmlAssociation::kClass) + L"\\shell", L"", L"");
    }
    Menu(c.command);
    MessageBoxInfo box = FindMessageBox(dock_->pid());
    ASSERT_NE(box.hwnd, nullptr) << c.what;
    EXPECT_EQ(box.caption, L"PLUM_DOCK");
    EXPECT_NE(box.text.find(c.document + L" を開けません。"), std::wstring::npos)
        << c.what << ": " << Utf8(box.text);
    EXPECT_NE(box.text.find(L".html ファイルに関連付けられたプログラムがありません"),
              std::wstring::npos)
        << Utf8(box.text);
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the message belongs to the dock";
    ASSERT_TRUE(PressButton(box.hwnd, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.hwnd); }));
    EXPECT_FALSE(dock_->Exited(300));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main_) != FALSE; }));
  }
  EXPECT_TRUE(ReadToolRuns(log_).empty()) << "nothing ran";

  // The dock still answers, and finds an association made meanwhile.
  association_.Associate(L"\"" + tool_ + L"\" \"%1\"");
  Menu(plum::kCmdHelpPro);
  std::vector<ToolRun> runs = RunsAfter(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, std::vector<std::wstring>{appFolder_ + L"help.html"});
}

TEST_F(DockHelp, AboutWindowShowsItsLabelsCentredOnBlue) {
  Start();
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), main_);
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window waits while the About window is up";

  struct Label {
    int id;
    std::wstring text;
  };
  const Label labels[] = {
      {3001, L"PLUM_DOCK"},
      {3002, L"Ver 1.0"},
      {3003, L"Ｃｌｉｃｋ　ｍｅ！　　Ｍｙ ホームページＵＲＬ：" +
                 std::wstring(plum::kAuthorHomepage) + L"　"},
      {3004, L"このソフトウェアはフリーソフトウェアです。自由に使用・配布できます。"},
      {3005, L"PLUM_DOCK 製作委員会"},
      {IDOK, L"OK"},
  };
  for (const Label& label : labels) {
    HWND control = FindChild(about, label.id);
    ASSERT_NE(control, nullptr) << label.id;
    EXPECT_EQ(WindowText(control), label.text) << label.id;
    EXPECT_TRUE(IsWindowVisible(control)) << label.id;
  }
  EXPECT_EQ(GetWindowLongW(FindChild(about, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

  // No caption bar: no text, no WS_CAPTION, and the frame is as thin at the
  // top as at the bottom.
  EXPECT_EQ(WindowText(about), L"");
  const LONG style = GetWindowLongW(about, GWL_STYLE);
  EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
  const RECT frame = WindowRectOnScreen(about);
  const RECT client = ClientRectOnScreen(about);
  EXPECT_EQ(client.top - frame.top, frame.bottom - client.bottom);
  EXPECT_EQ(client.right - client.left, 308);  // 4620 x 2805 twips at 96 dpi
  EXPECT_EQ(client.bottom - client.top, 187);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(abs(frame.left + frame.right - screenWidth), 1) << "centred across";
  EXPECT_LE(abs(frame.top + frame.bottom - screenHeight), 1) << "centred down";

  // In front and active, so that the keys reach it.
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == about; }));
  const POINT corner = {client.left + 3, client.top + 3};
  EXPECT_TRUE(WaitFor([&] { return WindowFromPoint(corner) == about; }))
      << "covered by " << Utf8(ClassName(WindowFromPoint(corner)));

  // Blue behind everything; the title yellow, the link green.
  Sleep(300);
  const Picture picture(about, work_.path() + L"about.ppm");
  ASSERT_TRUE(picture.ok()) << picture.error();
  ASSERT_EQ(picture.width(), 308);
  const COLORREF blue = RGB(0, 128, 255);
  const POINT background[] = {{3, 3}, {304, 3}, {3, 183}, {304, 183}, {60, 170}, {250, 150}};
  for (const POINT& p : background)
    EXPECT_EQ(Hex(picture.At(p.x, p.y)), Hex(blue)) << p.x << "," << p.y;
  auto clientRectOf = [&](int id) {
    RECT r = WindowRectOnScreen(FindChild(about, id));
    OffsetRect(&r, -client.left, -client.top);
    return r;
  };
  const RECT title = clientRectOf(3001);
  EXPECT_GT(picture.Count(title, RGB(255, 255, 0)), 30) << "yellow title";
  EXPECT_GT(picture.Count(title, blue), 100) << "on blue";
  EXPECT_EQ(picture.Count(title, RGB(255, 255, 255)), 0);
  const RECT link = clientRectOf(3003);
  EXPECT_GT(picture.Count(link, RGB(0, 255, 0)), 30) << "green link";
  EXPECT_GT(picture.Count(clientRectOf(3004), RGB(255, 255, 255)), 30) << "white notice";

  ASSERT_TRUE(FocusAbout(about));
  ASSERT_TRUE(PressKey(L"Escape"));
  ExpectClosed(about);
}

TEST_F(DockHelp, EnterEscAndOkEachCloseAFreshAboutWindow) {
  Start();
  std::vector<HWND> seen;
  for (const wchar_t* way : {L"Return", L"Escape", L"OK"}) {
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr) << Utf8(way);
    for (HWND before : seen) EXPECT_NE(about, before) << "a new window at every opening";
    seen.push_back(about);
    EXPECT_FALSE(IsWindowEnabled(main_));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == about; })) << Utf8(way);
    if (std::wstring(way) == L"OK") {
      const POINT at = Uncovered(FindChild(about, IDOK));
      ASSERT_TRUE(Click(at.x, at.y));
    } else {
      ASSERT_TRUE(FocusAbout(about));
      ASSERT_TRUE(PressKey(way));
    }
    ExpectClosed(about);
  }
  EXPECT_FALSE(dock_->Exited(0));
}

TEST_F(DockHelp, TheLinkOpensTheAuthorPageAndTheWindowStays) {
  const std::wstring page = std::wstring(plum::kAuthorHomepage) + L"/";
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".html");
  Start();
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == about; }));
  const POINT at = Uncovered(FindChild(about, 3003));

  // Nothing registered: a message names the page, the window stays.
  ASSERT_TRUE(Click(at.x, at.y));
  MessageBoxInfo box = FindMessageBox(dock_->pid());
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_NE(box.text.find(page + L" を開けません。"), std::wstring::npos) << Utf8(box.text);
  ASSERT_TRUE(PressButton(box.hwnd, IDOK));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.hwnd); }));
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_TRUE(ReadToolRuns(log_).empty());

  // Again, once the association is there (after the double-click time: a
  // second click soon after would be a double click, which opens nothing).
  association_.Associate(L"\"" + tool_ + L"\" \"%1\"");
  Sleep(GetDoubleClickTime() + 100);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == about; }));
  ASSERT_EQ(Uncovered(FindChild(about, 3003)).x, at.x);
  ASSERT_TRUE(Click(at.x, at.y));
  std::vector<ToolRun> runs = RunsAfter(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].program, tool_);
  EXPECT_EQ(runs[0].arguments, std::vector<std::wstring>{page});
  EXPECT_TRUE(IsWindow(about));
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_FALSE(IsWindowEnabled(main_));

  // Still open and still listening.
  ASSERT_TRUE(FocusAbout(about));
  ASSERT_TRUE(PressKey(L"Escape"));
  ExpectClosed(about);
  EXPECT_EQ(ReadToolRuns(log_).size(), 1u);
}

}  // namespace
}  // namespace test
