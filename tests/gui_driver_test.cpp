// Proves the GUI test driver against a stand-in window of its own
// (drop_target_probe.exe): real drags, tooltip text, menus, message boxes
// and screen shots. Each of these tests is RUN_SERIAL.
#include "gui_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {
namespace {

class GuiDriverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(LeaveWindowsUnmanaged(L"drop_target_probe.exe")); }

  void SetUp() override {
    log_ = work_.path() + L"probe.log";
    options_.caption = L"drop_target_probe";
    options_.windowClass = L"PlumDropTargetProbe";
    options_.arguments = L"--log \"" + log_ + L"\" --at 120 140 --tip \"" + kTip + L"\"";
    probe_ = std::make_unique<DockProcess>(ProgramFolder() + L"drop_target_probe.exe", options_);
    ASSERT_TRUE(probe_->ok()) << Utf8(probe_->error());
    slot_ = FindChild(probe_->window(), 101);
    ASSERT_NE(slot_, nullptr);
  }

  std::string Log() const { return ReadBytes(log_); }

  const std::wstring kTip = L"ここに .java ファイルをドロップ";
  ScratchFolder work_{L"gui"};
  std::wstring log_;
  LaunchOptions options_;
  std::unique_ptr<DockProcess> probe_;
  HWND slot_ = nullptr;
};

TEST_F(GuiDriverTest, DraggedFilesArriveInOrderAsACopy) {
  const std::wstring first = work_.path() + L"Hello World.java";
  const std::wstring second = work_.path() + L"日本語のクラス.java";
  WriteBytes(first, "class A {}\n");
  WriteBytes(second, "class B {}\n");

  const DragOutcome outcome = DragFiles({first, second}, CenterOf(ClientRectOnScreen(slot_)));

  ASSERT_TRUE(outcome.ran) << Utf8(outcome.error);
  EXPECT_EQ(outcome.result, "DRAGDROP_S_DROP");
  EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Log(), "enter hdrop=1\ndrop\nfile=" + Utf8(first) + "\nfile=" + Utf8(second) + "\n");
}

TEST_F(GuiDriverTest, DraggedTextIsRefused) {
  const DragOutcome outcome = DragText(L"class A {}", CenterOf(ClientRectOnScreen(slot_)));

  ASSERT_TRUE(outcome.ran) << Utf8(outcome.error);
  EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE)) << outcome.result;
  // The drag did reach the window, and nothing was dropped.
  EXPECT_EQ(Log(), "enter hdrop=0\nleave\n");
}

TEST_F(GuiDriverTest, ReadsWindowsOfAnotherProcess) {
  bool found = false;
  const ToolInfo tool = FindToolFor(slot_, &found);
  ASSERT_TRUE(found);
  EXPECT_EQ(tool.hwnd, probe_->window());
  EXPECT_EQ(ReadTooltipText(tool), kTip);
  EXPECT_EQ(TooltipTextFor(probe_->window()), L"");  // no tool for the window itself

  std::wstring error;
  EXPECT_EQ(MenuOutline(ReadMenuBar(probe_->window(), &error)),
            L"ファイル(&F)\n  開く(&O)...\tCtrl+O\n  -\n  終了(&X)\nヘルプ(&H)\n"
            L"  バージョン情報(&A)\n")
      << Utf8(error);

  EXPECT_EQ(WindowText(slot_), L"スロット");
  EXPECT_FALSE(IsTopmost(probe_->window()));
  const RECT client = ClientRectOnScreen(probe_->window());
  EXPECT_GE(client.left, 120);
  EXPECT_GT(client.top, 140);

  const std::wstring png = work_.path() + L"probe.png";
  ASSERT_TRUE(Screenshot(probe_->window(), png));
  EXPECT_EQ(ReadBytes(png).substr(1, 3), "PNG");
}

TEST_F(GuiDriverTest, DoubleClickOpensAMessageBoxThatAButtonOrAKeyCloses) {
  const POINT center = CenterOf(ClientRectOnScreen(slot_));
  ASSERT_TRUE(DoubleClick(center.x, center.y));
  EXPECT_EQ(CursorPos().x, center.x);  // screen and X root coordinates agree

  const MessageBoxInfo box = FindMessageBox(probe_->pid());
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.caption, L"確認");
  EXPECT_EQ(box.text, L"ダブルクリックを受け取りました。");
  ASSERT_TRUE(PressButton(box.hwnd, IDCANCEL));
  ASSERT_TRUE(WaitFor([&] { return Log() == "msgbox=2\n"; })) << Log();

  // Keys go to the active window: Return presses the box's default button.
  ASSERT_TRUE(DoubleClick(center.x, center.y));
  ASSERT_NE(FindMessageBox(probe_->pid()).hwnd, nullptr);
  ASSERT_TRUE(PressKey(L"Return"));
  EXPECT_TRUE(WaitFor([&] { return Log() == "msgbox=2\nmsgbox=1\n"; })) << Log();
}

}  // namespace
}  // namespace test
