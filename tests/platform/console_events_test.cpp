// Windows build only: a console close, logoff or shutdown stops the job and
// holds the process until the job has cleaned up. The handler is called
// directly; Wine does not deliver these events reliably.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/console.h"
#include "platform/win32/console_events.h"

namespace tenrovel::platform {
namespace {

TEST(ConsoleEvents, ACloseStopsTheJobAndWaitsForItsCleanup) {
  static std::atomic<bool> interrupted{false};
  InstallInterruptFlag(&interrupted);
  std::atomic<bool> returned{false};
  BOOL result = FALSE;
  std::thread system([&] {
    result = OnConsoleEvent(CTRL_CLOSE_EVENT);
    returned = true;
  });
  while (!interrupted)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // Well within the handler's wait: it must still hold the process.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(returned.load()) << "the handler returned before the cleanup";
  ReportCleanupDone();
  system.join();
  EXPECT_EQ(result, TRUE);

  // Logoff, shutdown and Ctrl-C set the flag too (the cleanup is done by
  // now, so nothing waits).
  for (const DWORD event : {CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT, CTRL_C_EVENT}) {
    interrupted = false;
    EXPECT_EQ(OnConsoleEvent(event), TRUE) << event;
    EXPECT_TRUE(interrupted.load()) << event;
  }
}

}  // namespace
}  // namespace tenrovel::platform
