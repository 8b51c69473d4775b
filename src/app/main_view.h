// The screen as TFrmMain sees it. TFrmMain keeps the state of every control
// and tells the view each change; the view shows it and reports the user's
// actions back through TFrmMain's handlers and User* methods. No view call
// re-enters TFrmMain, except that a modal dialog may let queued worker
// callbacks and posted messages run, as a Windows message box does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/win_constants.h"

namespace tenrovel::app {

// The controls of the window's table, by their names.
enum class Control { rdShop1, rdShop2, rdShop3, chkArea, lstArea, btnAction, btnCancel };
inline constexpr int kControlCount = 7;

struct ControlState {
  std::string caption;
  bool enabled = true;
  bool checked = false;  // radio buttons and the check box
};

// The view sets them in this order: position, minimum, maximum, step.
struct ProgressBarState {
  int position = 0;
  int min = 0;
  int max = 100;
  int step = 1;
  bool visible = true;

  bool operator==(const ProgressBarState&) const = default;
};

struct SaveDialogRequest {
  std::string title;      // CP932
  std::string filter;     // "description|pattern", CP932
  std::string file_name;  // the proposed name, CP932
  // Added by the dialog to a name typed without one, before it looks for a
  // file to overwrite, so that its question is about the file we write.
  std::string default_extension;
  bool overwrite_prompt = true;
  bool hide_read_only = true;
  bool resizable = true;
};

// FlashWindowEx on the application window. The structure size is the
// platform's own (20 bytes on 32-bit Windows).
struct FlashRequest {
  unsigned flags = 0;
  unsigned count = 0;
  unsigned timeout_ms = 0;
};

enum class ScreenCursor { kDefault, kAppStarting, kOther };

struct OsVersion {
  unsigned major = 0;
  unsigned minor = 0;
};

// Windows 7 (6.1) or later, the version compared as a pair.
constexpr bool IsWindows7OrLater(OsVersion version) {
  return version.major > 6 || (version.major == 6 && version.minor >= 1);
}

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;

  // Controls.
  virtual void SetCaption(Control control, const std::string& caption) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  // Radio buttons and the check box; checking a radio button unchecks the others.
  virtual void SetChecked(Control control, bool checked) = 0;
  virtual void SetAreaItems(const std::vector<std::string>& names) = 0;
  virtual void SetAreaChecked(int index, bool checked) = 0;
  virtual void SetAreaItemIndex(int index) = 0;  // the highlighted item
  virtual void FocusControl(Control control) = 0;
  virtual void SetProgressBar(const ProgressBarState& state) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetStatusColorWindowText() = 0;
  virtual void Repaint() = 0;
  virtual ScreenCursor GetScreenCursor() = 0;
  virtual void SetScreenCursor(ScreenCursor cursor) = 0;

  // Dialogs. Returns kIdOk, kIdYes or kIdNo.
  virtual int ShowMessageBox(const std::string& text, const std::string& caption,
                             unsigned flags) = 0;
  // The chosen path, or nullopt when the user cancelled.
  virtual std::optional<std::filesystem::path> ShowSaveDialog(const SaveDialogRequest& request) = 0;

  // Shell.
  virtual void Beep(unsigned type) = 0;  // MessageBeep
  virtual void FlashTaskbarButton(const FlashRequest& request) = 0;
  virtual bool InitializeTaskbarAPI() = 0;
  virtual void SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) = 0;
  virtual void SetTaskbarProgressState(TTaskBarProgressState state) = 0;
  // Verb "open", show-normal; false when the file could not be opened.
  virtual bool ShellOpen(const std::filesystem::path& file) = 0;
  virtual OsVersion GetOsVersion() = 0;
  // The reason Windows shows when the user signs out while a job runs;
  // empty text removes it.
  virtual void SetShutdownBlockReason(const std::string& reason) = 0;

  // The application.
  // Posts `message` to the window; it comes back through TFrmMain::OnPrivateMessage.
  virtual void PostPrivateMessage(unsigned message) = 0;
  virtual void EndApplication() = 0;
};

}  // namespace tenrovel::app
