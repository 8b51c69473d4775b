// QueueDispatcher: calls run on the owning thread, the caller waits, Close
// releases callers, and failures reach the right side.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "job/queue_dispatcher.h"

namespace tenrovel::job {
namespace {

TEST(QueueDispatcherTest, RunsCallsOnTheOwningThreadInOrderWhileTheCallerWaits) {
  QueueDispatcher ui;
  const auto owner = std::this_thread::get_id();
  std::vector<int> order;  // touched by both threads, ordered by the hand-over
  std::atomic<int> served{0};
  bool all_on_owner = true;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      order.push_back(i * 10);
      EXPECT_TRUE(ui.RunOnUiThread([&, i] {
        all_on_owner = all_on_owner && std::this_thread::get_id() == owner;
        order.push_back(i * 10 + 1);
        ++served;
      }));
    }
  });
  ui.RunUntil([&] { return served == 3; });
  worker.join();
  EXPECT_TRUE(all_on_owner);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 10, 11, 20, 21}));
}

TEST(QueueDispatcherTest, CloseReleasesWaitingAndLaterCallers) {
  QueueDispatcher ui;
  std::atomic<bool> calling{false};
  std::atomic<bool> ran{false};
  std::vector<bool> results;
  std::thread worker([&] {
    calling = true;
    // Queued or refused at once, depending on when Close comes: false either way.
    results.push_back(ui.RunOnUiThread([&] { ran = true; }));
    results.push_back(ui.RunOnUiThread([&] { ran = true; }));
  });
  while (!calling)
    std::this_thread::yield();
  ui.Close();
  worker.join();
  EXPECT_EQ(results, (std::vector<bool>{false, false}));
  EXPECT_FALSE(ran);
  EXPECT_EQ(ui.ServePending(), 0u);
}

TEST(QueueDispatcherTest, FailuresReachTheSideThatCausedThem) {
  QueueDispatcher ui;
  // The UI thread may not wait for itself.
  EXPECT_THROW(ui.RunOnUiThread([] {}), std::logic_error);

  // A call that throws still releases its caller; the UI loop sees the error.
  std::atomic<bool> released{false};
  std::thread worker([&] {
    EXPECT_TRUE(ui.RunOnUiThread([] { throw std::runtime_error("in the UI"); }));
    released = true;
  });
  EXPECT_THROW(ui.RunUntil([] { return false; }), std::runtime_error);
  worker.join();
  EXPECT_TRUE(released);
}

TEST(QueueDispatcherTest, IdleRunsWhileNothingArrives) {
  QueueDispatcher ui;
  int idle_runs = 0;
  ui.RunUntil([&] { return idle_runs == 3; }, [&] { ++idle_runs; }, std::chrono::milliseconds(1));
  EXPECT_EQ(idle_runs, 3);
}

// The CLI turns Ctrl-C into a stop request in `idle`; a worker that reports
// progress without a pause must not hold that off. Two workers keep the queue
// from ever running empty, and every call outlasts the idle period.
TEST(QueueDispatcherTest, IdleRunsWhileCallsKeepComing) {
  QueueDispatcher ui;
  std::atomic<bool> stop{false};
  std::atomic<int> workers_done{0};
  int calls = 0;
  const auto report = [&] {
    for (int i = 0; i < 100 && !stop; ++i)
      ui.RunOnUiThread([&] {
        ++calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
      });
    ++workers_done;
  };
  std::thread first(report), second(report);
  ui.RunUntil([&] { return workers_done == 2; }, [&] { stop = true; },
              std::chrono::milliseconds(20));
  first.join();
  second.join();
  EXPECT_TRUE(stop);
  EXPECT_LT(calls, 200);
}

}  // namespace
}  // namespace tenrovel::job
