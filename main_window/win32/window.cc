// SPDX-License-Identifier: MIT
#include "main_window/win32/window.h"

// After windows.h (through window.h), whose types it uses.
#include <commctrl.h>

#include <stdexcept>

#include "main_window/paths.h"
#include "text/unicode.h"

namespace holvane::ui {

namespace {

constexpr wchar_t kWindowClass[] = L"HolvaneMainWindow";

// Ids of the controls, clear of IDOK (1) and IDCANCEL (2), which
// IsDialogMessageW sends for Enter and Esc.
enum ControlId : int { kDrive1 = 101, kDir1, kFile1, kCommand1 };

// How far a folder is indented for each level below the root, in twips.
constexpr int kIndentTwips = 180;
// The drive list's height when dropped down, in twips, beyond its own.
constexpr int kDropDownTwips = 2400;

std::runtime_error Failure(const char* what) {
  return std::runtime_error(std::string(what) + " failed, error " + std::to_string(GetLastError()));
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  // The program's icon, at both sizes the system shows; none in a program
  // built without the resources.
  window_class.hIcon =
      static_cast<HICON>(LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                    GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Failure("RegisterClassExW");
  }
}

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 96;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The system's message font, at the system's DPI, as dialogs use it.
HFONT MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return nullptr;
  }
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

LRESULT Send(HWND control, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  return SendMessageW(control, message, wparam, lparam);
}

std::wstring Wide(std::string_view text) { return text::Utf16FromUtf8(text); }

// The control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The thread's error mode for a scope: no "insert a disk" box while drives
// are asked whether they are ready.
class QuietDriveErrors {
 public:
  QuietDriveErrors() {
    if (!SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &before_)) {
      set_ = false;
    }
  }
  ~QuietDriveErrors() {
    if (set_) SetThreadErrorMode(before_, nullptr);
  }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD before_ = 0;
  bool set_ = true;
};

}  // namespace

Win32Window::Win32Window() : Win32Window(DriveSource(LogicalDrives), CurrentFolder()) {}

Win32Window::Win32Window(const DriveSource& drives, const std::filesystem::path& start_folder,
                         Host* host)
    : host_(host != nullptr ? *host : own_host_), dpi_(ScreenDpi()), font_(MessageFont()) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, &WindowProcedure);

  // The frame around a client area of the design's size: a fixed single
  // border, a caption with the system menu and the minimize box.
  constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, Pixels(design::kClientWidth), Pixels(design::kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  const std::wstring caption = Wide(kCaption);
  window_ = CreateWindowExW(0, kWindowClass, caption.c_str(), kStyle, left, top, width, height,
                            nullptr, nullptr, instance, nullptr);
  if (window_ == nullptr) throw Failure("CreateWindowExW");
  own_window_.reset(window_);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  own_host_.SetOwner(window_);

  // In design order, which is the tab order.
  drive1_ = CreateControl(WS_EX_CLIENTEDGE, WC_COMBOBOXW, L"",
                          CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP, kDrive1,
                          {design::kDrive1.left, design::kDrive1.top, design::kDrive1.width,
                           design::kDrive1.height + kDropDownTwips});
  dir1_ = CreateControl(WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
                        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                            WS_VSCROLL | WS_BORDER,
                        kDir1, design::kDir1);
  // The listing's order stands: LBS_SORT would sort again by the locale.
  file1_ =
      CreateControl(WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL | WS_VSCROLL | WS_BORDER,
                    kFile1, design::kFile1);
  command1_ = CreateControl(0, WC_BUTTONW, Wide(design::kCommand1Caption).c_str(), BS_PUSHBUTTON,
                            kCommand1, design::kCommand1);

  // The closed drive list's height comes from its font: its selection field
  // is made as much smaller or larger as the design's height needs.
  const int field = static_cast<int>(Send(drive1_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
  const RECT closed = RectInParent(drive1_);
  const int excess = (closed.bottom - closed.top) - Pixels(design::kDrive1.height);
  if (excess != 0 && field > excess) {
    Send(drive1_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field - excess);
  }
  // A folder's line as high as a file's.
  Send(dir1_, LB_SETITEMHEIGHT, 0, Send(file1_, LB_GETITEMHEIGHT, 0));

  focus_ = drive1_;
  form_.emplace(drives, start_folder, static_cast<DriveListView&>(*this),
                static_cast<DirListView&>(*this), static_cast<FileListView&>(*this), host_);
}

Win32Window::~Win32Window() {
  // The messages of the window's destruction go past the form, which is
  // destroyed first.
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

int Win32Window::Pixels(int twips) const { return MulDiv(twips, dpi_, 1440); }

HWND Win32Window::CreateControl(DWORD style_ex, const wchar_t* window_class, const wchar_t* text,
                                DWORD style, int id, const design::TwipRect& rect) {
  const HWND control = CreateWindowExW(
      style_ex, window_class, text, style | WS_CHILD | WS_VISIBLE | WS_TABSTOP, Pixels(rect.left),
      Pixels(rect.top), Pixels(rect.width), Pixels(rect.height), window_,
      reinterpret_cast<HMENU>(INT_PTR{id}), GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) throw Failure("CreateWindowExW");
  if (font_) Send(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return control;
}

void Win32Window::Show(int show) {
  ShowWindow(window_, show);
  UpdateWindow(window_);
  SetForegroundWindow(window_);
  SetFocus(focus_);
}

void Win32Window::ShowDrives(const std::vector<std::string>& names, int chosen) {
  Send(drive1_, CB_RESETCONTENT);
  for (const std::string& name : names) {
    Send(drive1_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  }
  ShowChosen(chosen);
}

void Win32Window::ShowChosen(int chosen) { Send(drive1_, CB_SETCURSEL, chosen); }

void Win32Window::ShowFolders(const std::vector<DirListEntry>& entries, int current) {
  Send(dir1_, WM_SETREDRAW, FALSE);
  Send(dir1_, LB_RESETCONTENT);
  for (const DirListEntry& entry : entries) {
    const LRESULT index =
        Send(dir1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry.shown).c_str()));
    if (index >= 0) Send(dir1_, LB_SETITEMDATA, index, entry.depth);
  }
  Send(dir1_, LB_SETCURSEL, current);
  Send(dir1_, WM_SETREDRAW, TRUE);
  InvalidateRect(dir1_, nullptr, TRUE);
}

// The logic's own writes: a list box notifies only of the user's changes.
void Win32Window::ShowFiles(const std::vector<std::string_view>& names) {
  Send(file1_, WM_SETREDRAW, FALSE);
  Send(file1_, LB_RESETCONTENT);
  for (const std::string_view name : names) {
    Send(file1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
  }
  Send(file1_, WM_SETREDRAW, TRUE);
  InvalidateRect(file1_, nullptr, TRUE);
}

void Win32Window::ShowSelected(int index, bool selected) {
  Send(file1_, LB_SETSEL, selected ? TRUE : FALSE, index);
}

LRESULT CALLBACK Win32Window::WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || !self->form_) return DefWindowProcW(window, message, wparam, lparam);
  // No failure may unwind through the system's frames. The logic reports a
  // folder or drive that cannot be listed itself, so what comes this far is
  // a failure of the window's own (memory run out, say): fatal, as in the
  // logic, not a folder to blame.
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    self->host_.ReportFatalError();
    return 0;
  }
}

LRESULT Win32Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      HandleCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.hwndItem != dir1_) break;
      DrawFolder(item);
      return TRUE;
    }
    case WM_ACTIVATE:
      // The focus comes back to the control that had it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) focus_ = focus;
      } else if (focus_ != nullptr) {
        SetFocus(focus_);
      }
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void Win32Window::HandleCommand(int id, int code) {
  switch (id) {
    case kDrive1:
      if (code == CBN_DROPDOWN) {
        form_->Drive1.DroppingDown();
      } else if (code == CBN_SELENDOK ||
                 (code == CBN_SELCHANGE && !Send(drive1_, CB_GETDROPPEDSTATE))) {
        // A drive chosen in the dropped list counts once the list closes on
        // it; one chosen by arrow keys on the closed list, at once.
        const auto index = static_cast<int>(Send(drive1_, CB_GETCURSEL));
        if (index >= 0) form_->Drive1.Chosen(index);
      }
      return;
    case kDir1:
      if (code == LBN_DBLCLK) form_->Dir1.Open(static_cast<int>(Send(dir1_, LB_GETCURSEL)));
      return;
    case kFile1:
      if (code == LBN_SELCHANGE) TellSelection();
      return;
    case kCommand1:
      if (code == BN_CLICKED) PressCommand1();
      return;
    case IDOK: {
      // Enter, as IsDialogMessageW reports it: it opens the folder in Dir1
      // and presses the button that has the focus.
      const HWND focus = GetFocus();
      if (focus == dir1_) {
        form_->Dir1.Open(static_cast<int>(Send(dir1_, LB_GETCURSEL)));
      } else if (focus == command1_) {
        PressCommand1();
      }
      return;
    }
    default:
      return;
  }
}

void Win32Window::TellSelection() {
  const auto count = static_cast<int>(Send(file1_, LB_GETSELCOUNT));
  std::vector<int> selected(static_cast<std::size_t>(count > 0 ? count : 0));
  if (count > 0) {
    const auto got = static_cast<int>(
        Send(file1_, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(selected.data())));
    selected.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  }
  form_->File1.SelectionChanged(selected);
}

// The list box is asked again first: a selection set from outside, as UI
// Automation sets it with LB_SETSEL, comes with no LBN_SELCHANGE, and the
// files converted are to be the ones the list shows selected.
void Win32Window::PressCommand1() {
  TellSelection();
  form_->Command1_Click();
}

void Win32Window::DrawFolder(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) {
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const auto length = static_cast<int>(Send(dir1_, LB_GETTEXTLEN, item.itemID));
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const auto got =
      static_cast<int>(Send(dir1_, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data())));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  RECT place = item.rcItem;
  place.left += Pixels(kIndentTwips) * static_cast<int>(item.itemData) + Pixels(30);
  const int mode = SetBkMode(item.hDC, TRANSPARENT);
  const COLORREF color =
      SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &place,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextColor(item.hDC, color);
  SetBkMode(item.hDC, mode);
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
}

namespace {

// One message through the window's keyboard navigation, or to its window.
void Dispatch(Win32Window& window, MSG& message) {
  if (IsDialogMessageW(window.Handle(), &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

int RunMessageLoop(Win32Window& window) {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    Dispatch(window, message);
  }
}

std::optional<int> DispatchQueued(Win32Window& window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
    Dispatch(window, message);
  }
  return std::nullopt;
}

std::vector<text::NativeName> LogicalDrives() {
  std::wstring roots(64, L'\0');
  for (;;) {
    const DWORD size = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    if (size == 0) return SelectDrives({});
    if (size < roots.size()) {
      roots.resize(size);
      break;
    }
    roots.resize(size + 1);
  }
  const QuietDriveErrors quiet;
  std::vector<Volume> volumes;
  // Each root ends with a null character; the list ends with an empty one.
  for (std::size_t at = 0; at < roots.size() && roots[at] != L'\0';) {
    const std::wstring root(roots.c_str() + at);
    at += root.size() + 1;
    wchar_t file_system[MAX_PATH + 1] = {};
    DWORD flags = 0;
    const bool ready = GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags,
                                             file_system, MAX_PATH + 1) != 0;
    volumes.push_back({root, text::Utf8FromUtf16(file_system), ready, ready,
                       ready && (flags & FILE_READ_ONLY_VOLUME) != 0});
  }
  return SelectDrives(volumes);
}

}  // namespace holvane::ui
