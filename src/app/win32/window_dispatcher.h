// The worker's way to the window: each call is sent to the window as a
// message, so that it runs on the user-interface thread (also inside the
// modal loops of message boxes and dialogs, which deliver sent messages)
// while the worker waits.
//
// The message is sent with a timeout and sent again until the window has
// taken the call; a call is identified by a number, never by a pointer, so
// that a late or repeated message finds nothing to run. The window replies
// to the message as soon as it takes a call; the worker then waits for the
// call's end without holding the window in a sent message. Close (program end)
// releases a worker that waits for a window that no longer serves it: its
// call, not yet taken, is dropped and RunOnUiThread returns false. A call
// that the window has taken always runs to its end first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "app/win32/win_handles.h"
#include "job/ui_dispatcher.h"

namespace tenrovel::app::win32 {

class WindowDispatcher final : public job::UiDispatcher {
 public:
  // The message the window passes to Serve.
  static constexpr UINT kRunCallMessage = WM_APP + 1;

  WindowDispatcher() = default;
  WindowDispatcher(const WindowDispatcher&) = delete;
  WindowDispatcher& operator=(const WindowDispatcher&) = delete;

  // The window whose thread runs the calls; set before the first worker starts.
  void Attach(HWND window);

  bool RunOnUiThread(const std::function<void()>& call) override;
  void Close() override;

  // On the window's thread, for kRunCallMessage: runs the call `id` (the
  // message's WPARAM) if it still waits. An exception from the call is passed
  // on after the worker has been released.
  void Serve(WPARAM id);

 private:
  enum class Stage { kWaiting, kRunning, kDone };
  struct Pending {
    const std::function<void()>* call;
    Stage stage;
  };

  void Finish(std::uint64_t id);

  HWND window_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, Pending> pending_;
  std::uint64_t next_id_ = 0;
  bool closed_ = false;
};

}  // namespace tenrovel::app::win32
