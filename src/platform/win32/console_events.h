// The console control handler that InstallInterruptFlag installs, declared
// for the Windows tests, which call it directly (Wine does not deliver the
// close, logoff and shutdown events reliably).
#pragma once

#include <windows.h>

namespace tenrovel::platform {

BOOL WINAPI OnConsoleEvent(DWORD event);

}  // namespace tenrovel::platform
