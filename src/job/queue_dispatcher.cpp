#include "job/queue_dispatcher.h"

#include <stdexcept>

namespace tenrovel::job {

QueueDispatcher::QueueDispatcher() : owner_(std::this_thread::get_id()) {}

QueueDispatcher::~QueueDispatcher() {
  Close();
}

bool QueueDispatcher::RunOnUiThread(const std::function<void()>& call) {
  if (std::this_thread::get_id() == owner_)
    throw std::logic_error("QueueDispatcher::RunOnUiThread called on the UI thread");
  Pending pending{&call};
  std::unique_lock lock(mutex_);
  if (closed_)
    return false;
  queue_.push_back(&pending);
  changed_.notify_all();
  changed_.wait(lock, [&] { return pending.done || pending.refused; });
  return pending.done;
}

void QueueDispatcher::Close() {
  const std::lock_guard lock(mutex_);
  closed_ = true;
  for (Pending* pending : queue_)
    pending->refused = true;
  queue_.clear();
  changed_.notify_all();
}

void QueueDispatcher::Serve(Pending& pending) {
  // The worker owns `pending` and leaves as soon as `done` is set, so it is
  // set last, under the lock.
  struct MarkDone {
    QueueDispatcher& self;
    Pending& pending;
    ~MarkDone() {
      const std::lock_guard lock(self.mutex_);
      pending.done = true;
      self.changed_.notify_all();
    }
  } mark_done{*this, pending};
  (*pending.call)();
}

std::size_t QueueDispatcher::ServePending() {
  std::size_t served = 0;
  for (;;) {
    Pending* pending = nullptr;
    {
      const std::lock_guard lock(mutex_);
      if (queue_.empty())
        return served;
      pending = queue_.front();
      queue_.pop_front();
    }
    Serve(*pending);
    ++served;
  }
}

void QueueDispatcher::RunUntil(const std::function<bool()>& done, const std::function<void()>& idle,
                               std::chrono::milliseconds idle_period) {
  // `idle` is due once a period has passed since it last ran, whether or not
  // calls kept arriving: a worker that reports progress without pause must
  // not keep an interrupt from turning into its stop request.
  using Clock = std::chrono::steady_clock;
  Clock::time_point idle_due = Clock::now() + idle_period;
  while (!done()) {
    if (Clock::now() >= idle_due) {
      if (idle)
        idle();
      idle_due = Clock::now() + idle_period;
      continue;
    }
    Pending* pending = nullptr;
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait_until(lock, idle_due, [&] { return !queue_.empty(); }))
        continue;
      pending = queue_.front();
      queue_.pop_front();
    }
    Serve(*pending);
  }
}

}  // namespace tenrovel::job
