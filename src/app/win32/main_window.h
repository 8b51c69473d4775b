// The main window: TFrmMain's logic bound to real Win32 controls.
//
// MainWindow creates the window and the controls of the window's table at
// the monitor's DPI, implements MainWindowView for TFrmMain and turns the
// user's actions into TFrmMain's handlers. The worker's calls arrive as sent
// messages through the WindowDispatcher.
#pragma once

#include <array>
#include <memory>
#include <optional>

#include "app/frm_main.h"
#include "app/main_view.h"
#include "app/win32/alt_key_fix.h"
#include "app/win32/check_list.h"
#include "app/win32/dpi_fonts.h"
#include "app/win32/taskbar.h"
#include "app/win32/win_handles.h"
#include "app/win32/window_dispatcher.h"

namespace tenrovel::app::win32 {

// The status label's place at `dpi` for a font whose lines are
// `line_height` pixels high.
RECT StatusLabelRect(int line_height, unsigned dpi);

class MainWindow final : public MainWindowView {
 public:
  explicit MainWindow(TFrmMain::Config config);
  // Ends the window logic first (a running worker is stopped and joined),
  // then the window.
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window with its controls (FormCreate) and shows it
  // (FormShow). Throws std::runtime_error when the window cannot be made.
  void Create(int show_command);
  HWND handle() const { return window_.get(); }
  const CheckList& area_list() const { return list_; }

  // For the message loop: true when the message was a dialog key (Tab,
  // arrows, access keys) and has been handled.
  bool PreTranslate(MSG& message);

  // Stops a running worker and ends the window logic; the window stays.
  void EndLogic();

  // --- MainWindowView ---
  void SetCaption(Control control, const std::string& caption) override;
  void SetEnabled(Control control, bool enabled) override;
  void SetChecked(Control control, bool checked) override;
  void SetAreaItems(const std::vector<std::string>& names) override;
  void SetAreaChecked(int index, bool checked) override;
  void SetAreaItemIndex(int index) override;
  void FocusControl(Control control) override;
  void SetProgressBar(const ProgressBarState& state) override;
  void SetStatusText(const std::string& text) override;
  void SetStatusColorWindowText() override;
  void Repaint() override;
  ScreenCursor GetScreenCursor() override;
  void SetScreenCursor(ScreenCursor cursor) override;
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  std::optional<std::filesystem::path> ShowSaveDialog(const SaveDialogRequest& request) override;
  void Beep(unsigned type) override;
  void FlashTaskbarButton(const FlashRequest& request) override;
  bool InitializeTaskbarAPI() override;
  void SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) override;
  void SetTaskbarProgressState(TTaskBarProgressState state) override;
  bool ShellOpen(const std::filesystem::path& file) override;
  OsVersion GetOsVersion() override;
  void SetShutdownBlockReason(const std::string& reason) override;
  void PostPrivateMessage(unsigned message) override;
  void EndApplication() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCreate();
  void OnCommand(int id, int code);
  void OnClose();
  bool OnSetCursor(LPARAM lparam);
  void OnActivate(WPARAM wparam);
  LRESULT OnColorStatic(HDC dc, HWND control);
  void OnDpiChanged(unsigned dpi, const RECT& suggested);
  // The window's size for `dpi`, for WM_GETDPISCALEDSIZE.
  SIZE SizeForDpi(unsigned dpi) const;
  // The caption and taskbar icons at the current DPI.
  void ApplyIcons();

  void CreateControls();
  // Sizes, positions and fonts at `dpi`; the status label as high as its font's lines.
  void Layout(unsigned dpi);
  HWND Child(Control control) const;
  // Keeps the keyboard focus on an enabled control when its control is disabled.
  void MoveFocusFrom(HWND control);

  const TFrmMain::Config config_;
  std::optional<WindowClass> class_;
  WindowFonts fonts_;
  IconHandle big_icon_;
  IconHandle small_icon_;
  TaskbarProgress taskbar_;
  WindowDispatcher dispatcher_;
  TAltKeyFix alt_key_fix_;
  CheckList list_;
  WindowHandle window_;  // after the fonts and the class: destroyed before them
  HWND group_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  HWND progress_ = nullptr;
  HWND status_ = nullptr;
  HWND focus_before_deactivation_ = nullptr;
  unsigned dpi_ = kDesignDpi;
  bool focus_parked_ = false;  // the window holds the focus: no control could
  bool shown_ = false;
  int status_color_ = COLOR_WINDOWTEXT;  // a system colour index
  ScreenCursor cursor_ = ScreenCursor::kDefault;
  std::unique_ptr<TFrmMain> frm_;  // last: ends first, while the window and dispatcher exist
};

}  // namespace tenrovel::app::win32
