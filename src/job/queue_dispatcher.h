// A UiDispatcher for programs without a window: the worker's calls wait in a
// queue until the thread that owns the dispatcher (the "UI thread", the one
// that created it) serves them in RunUntil or ServePending.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "job/ui_dispatcher.h"

namespace tenrovel::job {

class QueueDispatcher final : public UiDispatcher {
 public:
  QueueDispatcher();
  ~QueueDispatcher() override;
  QueueDispatcher(const QueueDispatcher&) = delete;
  QueueDispatcher& operator=(const QueueDispatcher&) = delete;

  // Worker side. Throws std::logic_error when called on the owning thread,
  // which would wait for itself for ever.
  bool RunOnUiThread(const std::function<void()>& call) override;
  void Close() override;

  // Owning thread: serves calls until `done()` is true; it is tested before
  // waiting and after every served call. `idle` (if set) runs every
  // `idle_period`, whether calls arrive in between or not: the place to turn
  // an interrupt into the worker's stop request. An exception from a served call is passed on
  // here, after its worker has been released.
  void RunUntil(const std::function<bool()>& done, const std::function<void()>& idle = {},
                std::chrono::milliseconds idle_period = std::chrono::milliseconds(100));

  // Owning thread: serves the calls waiting now, returns how many.
  std::size_t ServePending();

 private:
  struct Pending {
    const std::function<void()>* call;
    bool done = false;
    bool refused = false;
  };

  // Runs one call taken from the queue and marks it done, even on an exception.
  void Serve(Pending& pending);

  const std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Pending*> queue_;
  bool closed_ = false;
};

}  // namespace tenrovel::job
