#include "app/win32/main_window.h"

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>
//
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "app/win32/accessible.h"
#include "app/win32/callback_guard.h"
#include "app/win32/control_ids.h"
#include "app/win32/dialogs.h"
#include "app/win32/wide_text.h"
#include "app/window_texts.h"

namespace tenrovel::app::win32 {

namespace {

// Windows 10 1703's WM_GETDPISCALEDSIZE, beyond the headers' Windows 7.
constexpr UINT kWmGetDpiScaledSize = 0x02E4;

// The icon's resource number in tenrovel.rc.
constexpr int kIconResource = 1;

// Single fixed border, minimise and system-menu buttons, no maximise. Not
// WS_CLIPCHILDREN: the group box leaves its inside to the window's background.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

// The window's table in pixels at 96 DPI.
struct Placement {
  int x, y, width, height;
};
constexpr SIZE kClientSize{314, 223};
constexpr Placement kGroupBank{8, 10, 145, 103};
// The radio buttons sit at 12,20, 12,46 and 12,72 inside the group box.
constexpr Placement kRadios[3] = {
    {8 + 12, 10 + 20, 120, 20}, {8 + 12, 10 + 46, 120, 20}, {8 + 12, 10 + 72, 120, 20}};
constexpr Placement kChkArea{165, 8, 119, 17};
constexpr Placement kLstArea{162, 28, 145, 164};
constexpr Placement kBtnAction{8, 121, 145, 32};
constexpr Placement kBtnCancel{8, 154, 145, 32};
constexpr int kProgressHeight = 15;  // along the bottom edge
constexpr Placement kPrgBar{0, kClientSize.cy - kProgressHeight, kClientSize.cx, kProgressHeight};
// Right-aligned with its right edge at 306, from the left margin; at least
// 13 high, else as high as a line of its font.
constexpr Placement kLblStatus{8, 195, 306 - 8, 13};

constexpr std::size_t Index(Control control) {
  return static_cast<std::size_t>(control);
}

HINSTANCE Instance() {
  return GetModuleHandleW(nullptr);
}

HICON LoadProgramIcon(int width_metric, int height_metric) {
  return static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                       GetSystemMetrics(width_metric),
                                       GetSystemMetrics(height_metric), LR_SHARED));
}

// The program's icon drawn for `dpi`, owned by the caller.
IconHandle ProgramIconForDpi(int width_metric, int height_metric, unsigned dpi) {
  return IconHandle(static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(kIconResource),
                                                  IMAGE_ICON, MetricForDpi(width_metric, dpi),
                                                  MetricForDpi(height_metric, dpi), 0)));
}

// The height of a line of `font`'s text.
int LineHeight(HWND window, const FontHandle& font) {
  const HDC dc = GetDC(window);
  if (dc == nullptr)
    return 0;
  const HGDIOBJ old = SelectObject(dc, font.get());
  TEXTMETRICW metrics{};
  const bool measured = GetTextMetricsW(dc, &metrics) != FALSE;
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return measured ? metrics.tmHeight : 0;
}

}  // namespace

RECT StatusLabelRect(int line_height, unsigned dpi) {
  // Fonts with a taller line than the table's 12 pixels must not be clipped;
  // the label then grows upwards, keeping clear of the progress bar.
  const int height = std::max(Scale(kLblStatus.height, dpi), line_height);
  const int top = std::min(Scale(kLblStatus.y, dpi), Scale(kPrgBar.y, dpi) - height);
  const int left = Scale(kLblStatus.x, dpi);
  return {left, top, left + Scale(kLblStatus.width, dpi), top + height};
}

MainWindow::MainWindow(TFrmMain::Config config) : config_(std::move(config)) {}

MainWindow::~MainWindow() {
  EndLogic();
}

void MainWindow::EndLogic() {
  frm_.reset();
}

void MainWindow::Create(int show_command) {
  WNDCLASSEXW definition{};
  definition.cbSize = sizeof(definition);
  definition.lpfnWndProc = WindowProc;
  definition.hInstance = Instance();
  definition.hIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
  definition.hIconSm = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
  definition.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  definition.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  definition.lpszClassName = kMainWindowClass;
  class_.emplace(definition);
  if (class_->atom() == 0)
    throw std::runtime_error("the main window's class cannot be registered");

  // Made at 96 DPI; WM_CREATE sizes it for its monitor.
  const SIZE size = WindowSizeForClient(kClientSize, kWindowStyle, kWindowExStyle, kDesignDpi);
  const HWND window = CreateWindowExW(
      kWindowExStyle, kMainWindowClass, Wide(Texts().app_title).c_str(), kWindowStyle,
      CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, Instance(), this);
  RethrowUnhandledException();  // from FormCreate
  if (window == nullptr)
    throw std::runtime_error("the main window cannot be created");
  ShowWindow(window, show_command);
  UpdateWindow(window);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* const self =
        static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
  }
  auto* const self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr)
    return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_.release();  // destroyed already
    return DefWindowProcW(window, message, wparam, lparam);
  }
  // A window whose creation failed is destroyed at once.
  const LRESULT on_exception = message == WM_CREATE ? -1 : 0;
  return Guarded<LRESULT>(on_exception, [&] { return self->Handle(message, wparam, lparam); });
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  const HWND window = window_.get();
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SHOWWINDOW:
      if (wparam != FALSE && !shown_ && frm_) {
        shown_ = true;
        frm_->FormShow();
      }
      break;
    case kWmLoadSettings:
    case kWmReapWorker:
    case kWmJobEnded:
      if (frm_)
        frm_->OnPrivateMessage(message);
      return 0;
    case WindowDispatcher::kRunCallMessage:
      dispatcher_.Serve(wparam);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_MEASUREITEM:
      if (wparam == kIdLstArea) {
        list_.Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (wparam == kIdLstArea) {
        list_.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == status_)
        return OnColorStatic(reinterpret_cast<HDC>(wparam), status_);
      break;
    case WM_SETCURSOR:
      if (OnSetCursor(lparam))
        return TRUE;
      break;
    case WM_ACTIVATE:
      OnActivate(wparam);
      return 0;
    case WM_SETFOCUS:
      // The keyboard goes on to a control, unless it was parked here on purpose.
      if (!focus_parked_) {
        if (const HWND next = GetNextDlgTabItem(window, nullptr, FALSE);
            next != nullptr && IsWindowEnabled(next))
          SetFocus(next);
      }
      return 0;
    case WM_KILLFOCUS:
      focus_parked_ = false;
      break;
    case WM_QUERYENDSESSION:
      // No box here: Windows shows the block reason set for a running job
      // and lets the user decide.
      return !frm_ || frm_->QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wparam != FALSE && frm_)
        frm_->EndSession();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefWindowProcW(window, message, wparam, lparam);
      alt_key_fix_.OnUpdateUiState(wparam);
      return result;
    }
    case kWmGetDpiScaledSize:
      // Only the client area scales; the frame is the system's at the new DPI.
      *reinterpret_cast<SIZE*>(lparam) = SizeForDpi(static_cast<unsigned>(wparam));
      return TRUE;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    default:
      if (message != 0 && message == taskbar_.button_created_message()) {
        taskbar_.OnButtonCreated();
        return 0;
      }
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void MainWindow::OnCreate() {
  const HWND window = window_.get();
  dpi_ = WindowDpi(window);
  fonts_ = CreateWindowFonts(dpi_);
  CreateControls();
  Layout(dpi_);
  ApplyIcons();
  const SIZE size = SizeForDpi(dpi_);
  SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  dispatcher_.Attach(window);
  alt_key_fix_.Attach(window);
  frm_ = std::make_unique<TFrmMain>(*this, dispatcher_, config_);
  frm_->FormCreate();
}

void MainWindow::CreateControls() {
  const HWND window = window_.get();
  const auto make = [window](const wchar_t* window_class, DWORD style, int id) {
    const HWND control =
        CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    if (control == nullptr)
      throw std::runtime_error("a control of the main window cannot be created");
    return control;
  };
  // Created in the table's order, which is the tab order.
  group_ = make(WC_BUTTONW, BS_GROUPBOX, kIdGroupBank);
  SetWindowTextW(group_, Wide(Texts().group_bank).c_str());
  controls_[Index(Control::rdShop1)] =
      make(WC_BUTTONW, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kIdRdShop1);
  controls_[Index(Control::rdShop2)] = make(WC_BUTTONW, BS_AUTORADIOBUTTON, kIdRdShop2);
  controls_[Index(Control::rdShop3)] = make(WC_BUTTONW, BS_AUTORADIOBUTTON, kIdRdShop3);
  controls_[Index(Control::chkArea)] =
      make(WC_BUTTONW, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, kIdChkArea);
  list_.Create(window, kIdLstArea, WS_GROUP | WS_TABSTOP, Wide(Texts().accessible_list));
  if (list_.handle() == nullptr)
    throw std::runtime_error("the prefecture list cannot be created");
  controls_[Index(Control::lstArea)] = list_.handle();
  list_.on_toggle = [this](int index, bool checked) {
    if (frm_)
      frm_->UserSetAreaChecked(index, checked);
  };
  controls_[Index(Control::btnAction)] =
      make(WC_BUTTONW, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, kIdBtnAction);
  controls_[Index(Control::btnCancel)] = make(WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, kIdBtnCancel);
  progress_ = make(PROGRESS_CLASSW, WS_GROUP, kIdPrgBar);
  status_ = make(WC_STATICW, SS_RIGHT | SS_NOPREFIX | WS_GROUP, kIdLblStatus);
  AccessibleControl::Attach(status_,
                            LabelAccessible::Create(status_, Wide(Texts().accessible_status)));
}

void MainWindow::Layout(unsigned dpi) {
  const auto place = [dpi](HWND control, const Placement& at) {
    SetWindowPos(control, nullptr, Scale(at.x, dpi), Scale(at.y, dpi), Scale(at.width, dpi),
                 Scale(at.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(group_, kGroupBank);
  place(Child(Control::rdShop1), kRadios[0]);
  place(Child(Control::rdShop2), kRadios[1]);
  place(Child(Control::rdShop3), kRadios[2]);
  place(Child(Control::chkArea), kChkArea);
  place(Child(Control::lstArea), kLstArea);
  place(Child(Control::btnAction), kBtnAction);
  place(Child(Control::btnCancel), kBtnCancel);
  place(progress_, kPrgBar);
  list_.ApplyDpi(dpi);

  const RECT status = StatusLabelRect(LineHeight(window_.get(), fonts_.ui), dpi);
  SetWindowPos(status_, nullptr, status.left, status.top, status.right - status.left,
               status.bottom - status.top, SWP_NOZORDER | SWP_NOACTIVATE);

  const auto font = [](HWND control, const FontHandle& handle) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(handle.get()), TRUE);
  };
  for (const HWND control :
       {group_, Child(Control::rdShop1), Child(Control::rdShop2), Child(Control::rdShop3),
        Child(Control::chkArea), Child(Control::btnAction), Child(Control::btnCancel), status_})
    font(control, fonts_.ui);
  font(Child(Control::lstArea), fonts_.list);
}

SIZE MainWindow::SizeForDpi(unsigned dpi) const {
  return WindowSizeForClient({Scale(kClientSize.cx, dpi), Scale(kClientSize.cy, dpi)}, kWindowStyle,
                             kWindowExStyle, dpi);
}

void MainWindow::ApplyIcons() {
  IconHandle big = ProgramIconForDpi(SM_CXICON, SM_CYICON, dpi_);
  IconHandle small = ProgramIconForDpi(SM_CXSMICON, SM_CYSMICON, dpi_);
  SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The old icons go only once the window shows the new ones.
  big_icon_ = std::move(big);
  small_icon_ = std::move(small);
}

void MainWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
  dpi_ = dpi;
  // The old fonts go only once the controls have the new ones.
  const WindowFonts old = std::exchange(fonts_, CreateWindowFonts(dpi));
  Layout(dpi);
  ApplyIcons();
  SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top,
               suggested.right - suggested.left, suggested.bottom - suggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::Child(Control control) const {
  return controls_[Index(control)];
}

void MainWindow::OnCommand(int id, int code) {
  if (!frm_)
    return;
  const auto button_checked = [this](int control_id) {
    return IsDlgButtonChecked(window_.get(), control_id) == BST_CHECKED;
  };
  switch (id) {
    case kIdRdShop1:
    case kIdRdShop2:
    case kIdRdShop3:
      // Also sent when the arrow keys move the focus (and the check) in the group.
      if (code == BN_CLICKED && button_checked(id)) {
        frm_->UserSelectBank(static_cast<std::size_t>(id - kIdRdShop1));
      }
      break;
    case kIdChkArea:
      if (code == BN_CLICKED)
        frm_->UserSetChkArea(button_checked(id));
      break;
    case kIdLstArea:
      if (code == LBN_SELCHANGE) {
        const LRESULT current = SendMessageW(list_.handle(), LB_GETCURSEL, 0, 0);
        if (current != LB_ERR)
          frm_->UserSelectAreaItem(static_cast<int>(current));
      }
      break;
    case kIdBtnAction:
      if (code == BN_CLICKED)
        frm_->btnActionClick();
      break;
    case kIdBtnCancel:
      if (code == BN_CLICKED)
        frm_->btnCancelClick();
      break;
    default:  // Enter and Escape (IDOK, IDCANCEL) do nothing here
      break;
  }
}

void MainWindow::OnClose() {
  if (!frm_ || frm_->FormCloseQuery())
    DestroyWindow(window_.get());
}

bool MainWindow::OnSetCursor(LPARAM lparam) {
  if (cursor_ != ScreenCursor::kAppStarting || LOWORD(lparam) != HTCLIENT)
    return false;
  SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
  return true;
}

void MainWindow::OnActivate(WPARAM wparam) {
  const HWND window = window_.get();
  if (LOWORD(wparam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    focus_before_deactivation_ = focus != nullptr && IsChild(window, focus) ? focus : nullptr;
    return;
  }
  if (HIWORD(wparam) != 0)  // minimised
    return;
  HWND focus = focus_before_deactivation_;
  if (focus == nullptr || !IsWindow(focus) || !IsWindowEnabled(focus))
    focus = GetNextDlgTabItem(window, nullptr, FALSE);
  SetFocus(focus != nullptr && IsWindowEnabled(focus) ? focus : window);
}

LRESULT MainWindow::OnColorStatic(HDC dc, HWND) {
  SetTextColor(dc, GetSysColor(status_color_));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::MoveFocusFrom(HWND control) {
  if (GetFocus() != control)
    return;
  const HWND window = window_.get();
  const HWND next = GetNextDlgTabItem(window, control, FALSE);
  if (next != nullptr && next != control && IsWindowEnabled(next)) {
    SetFocus(next);
    return;
  }
  // With no other control to take it, the window holds the keyboard focus
  // until a control is enabled again (a disabled control would lose it).
  focus_parked_ = true;
  SetFocus(window);
}

// --- MainWindowView ---

void MainWindow::SetCaption(Control control, const std::string& caption) {
  SetWindowTextW(Child(control), Wide(caption).c_str());
}

void MainWindow::SetEnabled(Control control, bool enabled) {
  const HWND child = Child(control);
  if (!enabled)
    MoveFocusFrom(child);
  EnableWindow(child, enabled ? TRUE : FALSE);
  const HWND window = window_.get();
  if (enabled && focus_parked_ && GetFocus() == window &&
      (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0) {
    focus_parked_ = false;
    SetFocus(child);
  }
  if (control == Control::lstArea)
    InvalidateRect(child, nullptr, TRUE);  // its items are drawn grey when disabled
}

void MainWindow::SetChecked(Control control, bool checked) {
  const HWND window = window_.get();
  switch (control) {
    case Control::rdShop1:
    case Control::rdShop2:
    case Control::rdShop3:
      if (checked) {
        const int id = GetDlgCtrlID(Child(control));
        CheckRadioButton(window, kIdRdShop1, kIdRdShop3, id);
      } else {
        SendMessageW(Child(control), BM_SETCHECK, BST_UNCHECKED, 0);
      }
      break;
    default:
      SendMessageW(Child(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
  }
}

void MainWindow::SetAreaItems(const std::vector<std::string>& names) {
  std::vector<std::wstring> wide;
  wide.reserve(names.size());
  for (const std::string& name : names)
    wide.push_back(Wide(name));
  list_.SetItems(wide);
}

void MainWindow::SetAreaChecked(int index, bool checked) {
  list_.SetChecked(index, checked);
}

void MainWindow::SetAreaItemIndex(int index) {
  list_.SetItemIndex(index);
}

void MainWindow::FocusControl(Control control) {
  // An inactive window keeps it for when it is activated again.
  if (GetActiveWindow() != window_.get()) {
    focus_before_deactivation_ = Child(control);
    return;
  }
  SetFocus(Child(control));
}

void MainWindow::SetProgressBar(const ProgressBarState& state) {
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(state.position), 0);
  SendMessageW(progress_, PBM_SETRANGE32, static_cast<WPARAM>(state.min), state.max);
  SendMessageW(progress_, PBM_SETSTEP, static_cast<WPARAM>(state.step), 0);
  ShowWindow(progress_, state.visible ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::SetStatusText(const std::string& text) {
  SetWindowTextW(status_, Wide(text).c_str());
  // The label's accessible name is fixed; its text is its value.
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, status_, OBJID_CLIENT, CHILDID_SELF);
}

void MainWindow::SetStatusColorWindowText() {
  // The label starts in this colour too, as a label does by default.
  status_color_ = COLOR_WINDOWTEXT;
  InvalidateRect(status_, nullptr, TRUE);
}

void MainWindow::Repaint() {
  RedrawWindow(window_.get(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

ScreenCursor MainWindow::GetScreenCursor() {
  return cursor_;
}

void MainWindow::SetScreenCursor(ScreenCursor cursor) {
  cursor_ = cursor;
  // The shape changes at once when the mouse is over the window, not only
  // at its next move.
  POINT at{};
  const HWND window = window_.get();
  if (!GetCursorPos(&at))
    return;
  const HWND under = WindowFromPoint(at);
  if (under == window || IsChild(window, under))
    SetCursor(
        LoadCursorW(nullptr, cursor == ScreenCursor::kAppStarting ? IDC_APPSTARTING : IDC_ARROW));
}

int MainWindow::ShowMessageBox(const std::string& text, const std::string& caption,
                               unsigned flags) {
  return win32::ShowMessageBox(window_.get(), text, caption, flags);
}

std::optional<std::filesystem::path> MainWindow::ShowSaveDialog(const SaveDialogRequest& request) {
  return win32::ShowSaveDialog(window_.get(), request);
}

void MainWindow::Beep(unsigned type) {
  MessageBeep(type);
}

void MainWindow::FlashTaskbarButton(const FlashRequest& request) {
  FLASHWINFO flash{};
  flash.cbSize = sizeof(flash);
  flash.hwnd = window_.get();
  flash.dwFlags = request.flags;
  flash.uCount = request.count;
  flash.dwTimeout = request.timeout_ms;
  FlashWindowEx(&flash);
}

bool MainWindow::InitializeTaskbarAPI() {
  return taskbar_.Initialize(window_.get());
}

void MainWindow::SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  taskbar_.SetValue(completed, total);
}

void MainWindow::SetTaskbarProgressState(TTaskBarProgressState state) {
  taskbar_.SetState(state);
}

bool MainWindow::ShellOpen(const std::filesystem::path& file) {
  return OpenWithShell(window_.get(), file);
}

void MainWindow::SetShutdownBlockReason(const std::string& reason) {
  if (reason.empty())
    ShutdownBlockReasonDestroy(window_.get());
  else
    ShutdownBlockReasonCreate(window_.get(), Wide(reason).c_str());
}

OsVersion MainWindow::GetOsVersion() {
  // The version as reported to this program: Windows 8.1 and later report
  // what the manifest declares (10.0 for Windows 10 and 11).
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExW(&version))
    return {};
  return {version.dwMajorVersion, version.dwMinorVersion};
}

void MainWindow::PostPrivateMessage(unsigned message) {
  PostMessageW(window_.get(), message, 0, 0);
}

void MainWindow::EndApplication() {
  PostQuitMessage(0);
}

bool MainWindow::PreTranslate(MSG& message) {
  const HWND window = window_.get();
  if (window == nullptr)
    return false;
  alt_key_fix_.PreTranslate(message);
  return IsDialogMessageW(window, &message) != FALSE;
}

}  // namespace tenrovel::app::win32
