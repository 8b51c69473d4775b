// The Windows values the window logic speaks in, defined here so that the
// portable code needs no Windows header. The names differ from the Windows
// macros on purpose (a macro would rewrite a same-named constant); the Win32
// view checks that the values agree.
#pragma once

namespace tenrovel::app {

// Message box flags.
inline constexpr unsigned kMbOk = 0x00000000;
inline constexpr unsigned kMbYesNo = 0x00000004;
inline constexpr unsigned kMbIconQuestion = 0x00000020;
inline constexpr unsigned kMbIconWarning = 0x00000030;
inline constexpr unsigned kMbIconInformation = 0x00000040;
inline constexpr unsigned kMbDefButton2 = 0x00000100;
inline constexpr unsigned kMbTopmost = 0x00040000;

// Message box answers.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Taskbar button flashing.
inline constexpr unsigned kFlashwAll = 0x00000003;
inline constexpr unsigned kFlashwTimerNoFg = 0x0000000C;

// The window's private messages: the first user message number plus 100 and
// the next ones.
inline constexpr unsigned kWmUser = 0x0400;
inline constexpr unsigned kWmLoadSettings = kWmUser + 100;  // 1124
inline constexpr unsigned kWmReapWorker = kWmUser + 101;    // 1125
inline constexpr unsigned kWmJobEnded = kWmUser + 102;      // 1126: an end that had to wait

// The states of the taskbar button's progress display.
enum class TTaskBarProgressState { tbpsNone, tbpsIndeterminate, tbpsNormal, tbpsError, tbpsPaused };

}  // namespace tenrovel::app
