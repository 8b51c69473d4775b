#include "app/win32/window_dispatcher.h"

#include <chrono>

namespace tenrovel::app::win32 {

namespace {
// How long one send waits before the worker looks at Close again.
constexpr UINT kSendTimeoutMs = 250;
// The pause before sending again when the window could not be reached at all.
constexpr std::chrono::milliseconds kRetryPause{50};
}  // namespace

void WindowDispatcher::Attach(HWND window) {
  const std::lock_guard lock(mutex_);
  window_ = window;
}

bool WindowDispatcher::RunOnUiThread(const std::function<void()>& call) {
  std::uint64_t id = 0;
  HWND window = nullptr;
  {
    const std::lock_guard lock(mutex_);
    if (closed_)
      return false;
    id = ++next_id_;
    pending_.emplace(id, Pending{&call, Stage::kWaiting});
    window = window_;
  }
  for (;;) {
    DWORD_PTR ignored = 0;
    SetLastError(0);
    const bool sent = SendMessageTimeoutW(window, kRunCallMessage, static_cast<WPARAM>(id), 0,
                                          SMTO_NORMAL, kSendTimeoutMs, &ignored) != 0;
    const bool timed_out = !sent && GetLastError() == ERROR_TIMEOUT;
    std::unique_lock lock(mutex_);
    Pending& pending = pending_.at(id);
    if (pending.stage != Stage::kWaiting) {
      // Taken by the window: it runs to its end whatever else happens.
      changed_.wait(lock, [&pending] { return pending.stage == Stage::kDone; });
      pending_.erase(id);
      return true;
    }
    if (closed_) {
      pending_.erase(id);
      return false;
    }
    if (!sent && !timed_out)  // no window (yet, or any more): wait for Close
      changed_.wait_for(lock, kRetryPause);
  }
}

void WindowDispatcher::Close() {
  const std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

void WindowDispatcher::Serve(WPARAM id) {
  const std::function<void()>* call = nullptr;
  {
    const std::lock_guard lock(mutex_);
    const auto found = pending_.find(static_cast<std::uint64_t>(id));
    if (found == pending_.end() || found->second.stage != Stage::kWaiting || closed_)
      return;
    found->second.stage = Stage::kRunning;
    call = found->second.call;
  }
  // The worker goes on waiting for kDone, but no longer inside an
  // input-synchronous call: COM refuses outgoing calls there, and the end
  // of a job opens the saved file through the shell.
  ReplyMessage(0);
  try {
    (*call)();
  } catch (...) {
    Finish(static_cast<std::uint64_t>(id));
    throw;
  }
  Finish(static_cast<std::uint64_t>(id));
}

void WindowDispatcher::Finish(std::uint64_t id) {
  const std::lock_guard lock(mutex_);
  pending_.at(id).stage = Stage::kDone;
  changed_.notify_all();
}

}  // namespace tenrovel::app::win32
