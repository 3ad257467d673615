// SPDX-License-Identifier: MIT
// The Win32 window as a user drives it, in this process: what its controls
// show of the window's logic and what the user's messages and keys tell it.
// (What the logic does with them is tested with the logic.) Keys are posted
// and go through the window's message loop; the Shift and Ctrl of a click
// travel in the mouse message itself, as the system sends them.
#include "main_window/win32/window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/window_test_kit.h"
#include "text/unicode.h"

namespace holvane::ui {
namespace {

namespace fs = std::filesystem;
using ::holvane::testing::TempDir;
using ::holvane::testing::Utf8Path;
using namespace ::holvane::ui::testing;

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text::Utf8FromUtf16(text);
}

// The entries of a list box or a combo box as it shows them.
Texts Entries(HWND control, bool combo = false) {
  const UINT count = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const UINT length = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT get = combo ? CB_GETLBTEXT : LB_GETTEXT;
  Texts texts;
  const auto n = static_cast<int>(SendMessageW(control, count, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, length, i, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, get, i, reinterpret_cast<LPARAM>(text.data()))));
    texts.push_back(text::Utf8FromUtf16(text));
  }
  return texts;
}

int IndexOf(HWND list, const std::string& text) {
  const Texts texts = Entries(list);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i] == text) return static_cast<int>(i);
  }
  ADD_FAILURE() << text << " is not in the list";
  return -1;
}

// The files selected in File1, the same as the logic has them.
std::vector<int> Selected(Win32Window& window) {
  std::vector<int> indexes;
  const auto count = static_cast<int>(SendMessageW(window.File1(), LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const bool shown = SendMessageW(window.File1(), LB_GETSEL, i, 0) > 0;
    EXPECT_EQ(window.Form().File1.Selected(i), shown) << i;
    if (shown) indexes.push_back(i);
  }
  return indexes;
}

// A key pressed and released on the control with the focus, with Shift held
// or not, through the window's message loop.
void Key(Win32Window& window, UINT key, bool shift = false) {
  BYTE keys[256];
  ASSERT_TRUE(GetKeyboardState(keys));
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  ASSERT_TRUE(SetKeyboardState(keys));
  const HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  PostMessageW(focus, WM_KEYDOWN, key, 1);
  PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
  EXPECT_EQ(DispatchQueued(window), std::nullopt);
  keys[VK_SHIFT] = 0;
  ASSERT_TRUE(SetKeyboardState(keys));
}

// A click on entry `index` of a list box, `keys` (MK_SHIFT, MK_CONTROL) held;
// twice for a double-click.
void Click(HWND list, int index, WPARAM keys = 0, bool twice = false) {
  RECT item{};
  ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)), LB_ERR);
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, keys, at);
  if (twice) {
    SendMessageW(list, WM_LBUTTONDBLCLK, keys | MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, keys, at);
  }
}

DriveSource Drives(std::vector<fs::path> drives) {
  return [drives] {
    std::vector<text::NativeName> names;
    for (const fs::path& drive : drives) names.push_back(drive.native());
    return names;
  };
}

TEST(Win32Window, LayoutAtNinetySixDpi) {
  TempDir a;
  Win32Window window(Drives({a.path().root_path()}), a.path());
  window.Show();
  ASSERT_EQ(DispatchQueued(window), std::nullopt);

  EXPECT_EQ(WindowText(window.Handle()), "Holvane by Kettrin");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window.Handle(), GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
            static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
  RECT client{};
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(392L, 287L));

  const std::pair<HWND, RECT> controls[] = {
      {window.Drive1(), {8, 8, 8 + 185, 8 + 21}},
      {window.Dir1(), {8, 32, 8 + 185, 32 + 216}},
      {window.File1(), {200, 8, 200 + 185, 8 + 240}},
      {window.Command1(), {256, 256, 256 + 129, 256 + 25}},
  };
  for (const auto& [control, expected] : controls) {
    SCOPED_TRACE(GetDlgCtrlID(control));
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(std::make_tuple(rect.left, rect.top, rect.right, rect.bottom),
              std::make_tuple(expected.left, expected.top, expected.right, expected.bottom));
    EXPECT_NE(GetDlgCtrlID(control), IDOK);
  }
  EXPECT_EQ(WindowText(window.Command1()), "Конвертировать");

  // Centred in the work area.
  RECT frame{};
  RECT work{};
  GetWindowRect(window.Handle(), &frame);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 1);
}

TEST(Win32Window, TabOrderAndFirstFocus) {
  TempDir a;
  fs::create_directory(a / "sub");
  WriteWvl(a / "a.wvl");
  Win32Window window(Drives({a.path().root_path()}), a.path());
  window.Show();
  ASSERT_EQ(DispatchQueued(window), std::nullopt);

  ASSERT_EQ(GetFocus(), window.Drive1());
  for (const HWND expected : {window.Dir1(), window.File1(), window.Command1(), window.Drive1()}) {
    Key(window, VK_TAB);
    ASSERT_EQ(GetFocus(), expected);
  }
  for (const HWND expected : {window.Command1(), window.File1(), window.Dir1(), window.Drive1()}) {
    Key(window, VK_TAB, true);
    ASSERT_EQ(GetFocus(), expected);
  }
}

// The drive chosen by an arrow key and a folder opened by a double-click and
// by Enter move the lists; Cyrillic names are shown as they are, the files
// in the listing's order (numbers by value), not re-sorted by the list box.
TEST(Win32Window, DrivesFoldersAndCyrillicNames) {
  RecordingHost host;
  TempDir a;
  TempDir b;
  const fs::path folder = a / Utf8Path("Папка");
  fs::create_directories(folder / Utf8Path("Вложенная"));
  for (const char* name : {"10.wvl", "2.wvl", "Ёлка.wvl"}) WriteWvl(folder / Utf8Path(name));
  WriteWvl(b / "b.wvl");
  Win32Window window(Drives({a.path().root_path(), b.path()}), a.path(), &host);
  window.Show();
  ASSERT_EQ(DispatchQueued(window), std::nullopt);

  Click(window.Dir1(), IndexOf(window.Dir1(), "Папка"), 0, true);
  EXPECT_EQ(window.Form().Dir1.Path(), folder);
  EXPECT_EQ(Entries(window.File1()), (Texts{"2.wvl", "10.wvl", "Ёлка.wvl"}));

  SetFocus(window.Dir1());
  SendMessageW(window.Dir1(), LB_SETCURSEL, IndexOf(window.Dir1(), "Вложенная"), 0);
  Key(window, VK_RETURN);
  EXPECT_EQ(window.Form().Dir1.Path(), folder / Utf8Path("Вложенная"));
  EXPECT_EQ(Entries(window.File1()), Texts());

  EXPECT_EQ(Entries(window.Drive1(), true).size(), 2U);
  SetFocus(window.Drive1());
  Key(window, VK_DOWN);
  EXPECT_EQ(SendMessageW(window.Drive1(), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(window.Form().Dir1.Path(), b.path());
  EXPECT_EQ(Entries(window.File1()), Texts{"b.wvl"});
  EXPECT_EQ(host.messages, Texts());
}

// Clicks with Shift and Ctrl, then Shift+arrow keys, select; Space and Enter
// on the button convert what is selected, and only that.
TEST(Win32Window, SelectionAndConversion) {
  RecordingHost host;
  TempDir a;
  const std::vector<fs::path> inputs =
      WriteWvls(a.path(), {"1.wvl", "2.wvl", "3.wvl", "4.wvl", "5.wvl", "6.wvl"});
  Win32Window window(Drives({a.path().root_path()}), a.path(), &host);
  window.Show();
  ASSERT_EQ(DispatchQueued(window), std::nullopt);

  Click(window.File1(), 0);
  Click(window.File1(), 2, MK_SHIFT);
  Click(window.File1(), 4, MK_CONTROL);
  EXPECT_EQ(Selected(window), (std::vector<int>{0, 1, 2, 4}));

  SetFocus(window.Command1());
  Key(window, VK_SPACE);
  EXPECT_EQ(host.messages, Texts{Converted(4)});
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    if (i == 3 || i == 5) {
      EXPECT_FALSE(fs::exists(OutputOf(inputs[i])));
    } else {
      EXPECT_TRUE(HasItsText(inputs[i]));
    }
  }

  SetFocus(window.File1());
  Click(window.File1(), 3);
  Key(window, VK_DOWN, true);
  Key(window, VK_DOWN, true);
  EXPECT_EQ(Selected(window), (std::vector<int>{3, 4, 5}));
  SetFocus(window.Command1());
  Key(window, VK_RETURN);
  EXPECT_EQ(host.messages, (Texts{Converted(4), Converted(3)}));
  EXPECT_TRUE(HasItsText(inputs[3]));
  EXPECT_TRUE(HasItsText(inputs[5]));
  EXPECT_EQ(host.ends, 0);
}

// A selection changed with LB_SETSEL alone, as UI Automation changes it for
// a person without mouse or keyboard, comes with no notification: a press of
// the button, a click or Enter, converts the files the list shows selected
// then, and only those.
TEST(Win32Window, ConvertsWhatTheListShowsSelected) {
  RecordingHost host;
  TempDir a;
  const std::vector<fs::path> inputs = WriteWvls(a.path(), {"1.wvl", "2.wvl", "3.wvl", "4.wvl"});
  Win32Window window(Drives({a.path().root_path()}), a.path(), &host);
  window.Show();
  ASSERT_EQ(DispatchQueued(window), std::nullopt);
  Click(window.File1(), 0);

  struct Round {
    int unselect;
    int select;
    bool enter;
  };
  for (const auto& [unselect, select, enter] : {Round{0, 1, false}, Round{1, 2, true}}) {
    SCOPED_TRACE(enter ? "Enter" : "click");
    ASSERT_NE(SendMessageW(window.File1(), LB_SETSEL, FALSE, unselect), LB_ERR);
    ASSERT_NE(SendMessageW(window.File1(), LB_SETSEL, TRUE, select), LB_ERR);
    if (enter) {
      SetFocus(window.Command1());
      Key(window, VK_RETURN);
    } else {
      SendMessageW(window.Command1(), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(host.messages, Texts{Converted(1)});
    EXPECT_TRUE(HasItsText(inputs[select]));
    // Its text and nothing else beside the inputs.
    EXPECT_EQ(Listing(a.path()).size(), inputs.size() + 1);
    host.messages.clear();
    fs::remove(OutputOf(inputs[select]));
  }
}

TEST(Win32Window, FailedConversionIsFatal) {
  RecordingHost host;
  TempDir a;
  ::holvane::testing::WriteFileBytes(a / "broken.wvl", "not compressed");
  Win32Window window(Drives({a.path().root_path()}), a.path(), &host);
  window.Show();
  ASSERT_EQ(DispatchQueued(window), std::nullopt);
  Click(window.File1(), 0);
  SendMessageW(window.Command1(), BM_CLICK, 0, 0);
  EXPECT_EQ(host.messages, Texts{kFatal});
  EXPECT_EQ(host.ends, 1);
}

// What was seen of the message box a WH_CBT hook found and a timer then
// read and closed, once the box had its texts.
struct SeenBox {
  std::set<HWND> boxes;
  std::string title;
  std::string text;
  bool ok = false;
  bool cancel = false;
};
SeenBox seen_box;
HWND box_up = nullptr;

void CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  seen_box.title = WindowText(box_up);
  seen_box.text = WindowText(GetDlgItem(box_up, 0xFFFF));
  seen_box.ok = GetDlgItem(box_up, IDOK) != nullptr;
  seen_box.cancel = GetDlgItem(box_up, IDCANCEL) != nullptr;
  PostMessageW(box_up, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK FindMessageBox(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    const auto window = reinterpret_cast<HWND>(wparam);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring_view(name) == L"#32770" && seen_box.boxes.insert(window).second) {
      box_up = window;
      SetTimer(nullptr, 0, 10, ReadAndCloseBox);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The real message box and the real end of the program.
TEST(Win32Host, MessageBoxAndEnd) {
  const HHOOK hook = SetWindowsHookExW(WH_CBT, FindMessageBox, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  Win32Host host;
  host.ShowMessage("Файлов успешно декомпилировано: 2.", MessageIcon::kInformation);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(seen_box.boxes.size(), 1U);
  EXPECT_EQ(seen_box.title, "Holvane by Kettrin");
  EXPECT_EQ(seen_box.text, "Файлов успешно декомпилировано: 2.");
  EXPECT_TRUE(seen_box.ok);
  EXPECT_FALSE(seen_box.cancel);

  host.EndProgram();
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 1U);
}

}  // namespace
}  // namespace holvane::ui
