// platform/console.h on Windows: the wide command line, wide text on the
// console, and the console's control events turned into the interrupt flag.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/win32/console_events.h"

namespace tenrovel::platform {

std::vector<std::string> CommandLineUtf8(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr)
    return args;
  for (int i = 0; i < count; ++i) {
    const std::wstring_view arg(wide[i]);
    args.push_back(Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  LocalFree(wide);
  return args;
}

namespace {

bool IsConsole(HANDLE h) {
  DWORD mode = 0;
  return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode) != 0;
}

void Write(DWORD which, std::string_view utf8, bool wide_console) {
  const HANDLE h = GetStdHandle(which);
  if (h == INVALID_HANDLE_VALUE || h == nullptr || utf8.empty())
    return;
  DWORD written = 0;
  if (wide_console && IsConsole(h)) {
    const std::u16string text = Utf8ToUtf16(utf8);
    WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

std::atomic<bool>* g_interrupt_flag = nullptr;
// Set by ReportCleanupDone; manual reset, so that every waiting handler ends.
HANDLE g_cleanup_done = nullptr;

}  // namespace

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (g_interrupt_flag != nullptr)
        g_interrupt_flag->store(true);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      if (g_interrupt_flag != nullptr)
        g_interrupt_flag->store(true);
      // The process ends when this returns: first let the job stop and
      // remove its temporary files.
      if (g_cleanup_done != nullptr)
        WaitForSingleObject(g_cleanup_done, kCloseWaitMilliseconds);
      return TRUE;
    default:
      return FALSE;
  }
}

bool StderrIsTerminal() {
  return IsConsole(GetStdHandle(STD_ERROR_HANDLE));
}

int StderrColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) == 0)
    return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

void WriteStderr(std::string_view utf8) {
  Write(STD_ERROR_HANDLE, utf8, true);
}
void WriteStdout(std::string_view utf8) {
  Write(STD_OUTPUT_HANDLE, utf8, false);
}

void ReportCleanupDone() {
  if (g_cleanup_done != nullptr)
    SetEvent(g_cleanup_done);
}

void InstallInterruptFlag(std::atomic<bool>* flag) {
  if (g_cleanup_done == nullptr)
    g_cleanup_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_interrupt_flag = flag;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace tenrovel::platform
