#include "app/win32/callback_guard.h"

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>

namespace tenrovel::app::win32 {

namespace {
std::exception_ptr g_unhandled;
}  // namespace

void KeepUnhandledException(std::exception_ptr exception) {
  if (!g_unhandled)
    g_unhandled = std::move(exception);
  // A WM_QUIT ends the loop even inside a modal one, which passes it on.
  PostQuitMessage(0);
}

void RethrowUnhandledException() {
  if (g_unhandled)
    std::rethrow_exception(std::exchange(g_unhandled, nullptr));
}

}  // namespace tenrovel::app::win32
