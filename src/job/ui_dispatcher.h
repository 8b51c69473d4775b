// How the worker reaches the user-interface thread: it hands over a call and
// waits until the UI thread has run it. The Windows program sends a window
// message; the command-line tool and the tests use QueueDispatcher.
#pragma once

#include <functional>

namespace tenrovel::job {

class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;

  // Called on the worker. Runs `call` on the UI thread and returns once it
  // has returned: true. After Close, returns false at once without running
  // it, so that a worker never waits for a UI that is gone.
  virtual bool RunOnUiThread(const std::function<void()>& call) = 0;

  // Called on the UI thread when it stops serving calls (program end):
  // every waiting and every later RunOnUiThread returns false.
  virtual void Close() = 0;
};

}  // namespace tenrovel::job
