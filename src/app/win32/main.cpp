// Tenrovel.exe: the program entry.
//
// Only one copy runs at a time: the mutex "Ravelin_Search", created with
// initial ownership, is held for the whole run; a second start ends at once
// with exit code 1, showing nothing. The main window runs until it closes or
// the window logic ends the program. An exception that escapes the message
// loop is shown in a message box, and the program then ends normally.
#include <windows.h>
//
#include <commctrl.h>

#include <exception>
#include <string>

#include "app/bank_table.h"
#include "app/program_downloader.h"
#include "app/site_config_loader.h"
#include "app/win32/callback_guard.h"
#include "app/win32/main_window.h"
#include "app/win32/path_limits.h"
#include "app/win32/program_files.h"
#include "app/win32/wide_text.h"
#include "app/window_texts.h"
#include "platform/instance_lock.h"

namespace tenrovel::app::win32 {
namespace {

constexpr const char* kMutexName = "Ravelin_Search";

TFrmMain::Config WindowConfig(const ProgramFiles& files) {
  TFrmMain::Config config;
  config.settings_file = files.settings_file;
  config.temp_file = files.temp_file;
  // Unusable host settings keep their defaults; the window has no place to
  // report them, and a job then simply finds nothing.
  config.sites = LoadSiteConfig(files.settings_file);
  config.banks = Banks();
  config.download = ProgramDownloader();
  config.path_too_long = PathTooLong;
  return config;
}

void RunMessageLoop(MainWindow& window) {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!window.PreTranslate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    RethrowUnhandledException();
  }
  RethrowUnhandledException();
}

// The message of an exception (program text, CP932) in a message box.
void ShowException(HWND owner, const std::string& message) {
  MessageBoxW(owner, Wide(message).c_str(), Wide(Texts().app_title).c_str(), MB_OK | MB_ICONERROR);
}

int Run(int show_command) {
  const platform::InstanceLock instance(kMutexName);
  if (!instance.acquired())
    return 1;

  const ComApartment com;
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);

  const ProgramFiles files = LocateProgramFiles();  // its private folder lives until the end
  MainWindow window(WindowConfig(files));
  std::string failure;
  bool failed = false;
  try {
    window.Create(show_command);
    RunMessageLoop(window);
  } catch (const std::exception& e) {
    failed = true;
    failure = e.what();
  } catch (...) {
    failed = true;  // an unknown exception shows with an empty message
  }
  if (failed) {
    // A worker must not reach the window while the message box runs its loop,
    // and the quit message that ended the loop must not end the box.
    window.EndLogic();
    MSG quit{};
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ShowException(window.handle(), failure);
  }
  return 0;
}

}  // namespace
}  // namespace tenrovel::app::win32

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  return tenrovel::app::win32::Run(show_command);
}
