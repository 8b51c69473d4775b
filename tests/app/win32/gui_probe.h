// Driving a running Tenrovel.exe from another process, as a person would:
// find its windows, read their texts and states, press their buttons.
// Every wait has a timeout; a process still running at the end is ended.
#pragma once

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tenrovel::gui_test {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A started program; ended by force if it still runs when this goes.
class Process {
 public:
  // Starts `exe` with the current environment; throws on failure.
  explicit Process(const std::filesystem::path& exe);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  bool Running() const;
  // The exit code, or nullopt when it still runs after `timeout`.
  std::optional<DWORD> WaitForExit(milliseconds timeout) const;

 private:
  PROCESS_INFORMATION info_{};
};

// Polls `condition` until it holds or `timeout` has passed; the result of
// its last call.
bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout);

// The visible top-level windows of a process with this class (null: any)
// and exactly this title.
std::vector<HWND> TopWindows(DWORD process, const wchar_t* window_class, const std::wstring& title);
std::vector<HWND> AllTopWindows(DWORD process);
// Waits for the first such window; null after `timeout`.
HWND WaitForTopWindow(DWORD process, const wchar_t* window_class, const std::wstring& title,
                      milliseconds timeout);
// A dialog or message box ("#32770") with this title.
HWND WaitForDialog(DWORD process, const std::wstring& title, milliseconds timeout);

std::wstring WindowText(HWND window);
// A message box's text (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);
// Every descendant as "id class \"text\"", one a line: for failure messages.
std::string DescribeChildren(HWND parent);
// The child windows' control identifiers, in z-order (the tab order).
std::vector<int> ChildIds(HWND parent);
// A child's rectangle in the parent's client coordinates.
RECT RectInParent(HWND child);
bool IsChecked(HWND button);

// Presses a button by its command, as a click does: WM_COMMAND with
// BN_CLICKED to `owner` (a window or a dialog), posted so that a modal
// dialog it opens does not hold this process.
void PressButton(HWND owner, int id);
// Sends a message with a timeout; 0 when the window does not answer.
LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// UTF-8 for test messages.
std::string Utf8(const std::wstring& text);
// A path given by the build (a Unix path under Wine becomes a Z: path).
std::filesystem::path BuildPath(const char* path);

}  // namespace tenrovel::gui_test
