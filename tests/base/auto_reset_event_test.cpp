#include "base/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/notification_queue.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, OneSetReleasesOneWait) {
  AutoResetEvent event;
  EXPECT_FALSE(event.Wait(0ms));
  event.Set();
  event.Set();  // signals do not add up
  EXPECT_TRUE(event.Wait(0ms));
  EXPECT_FALSE(event.Wait(10ms));
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.TryConsume());
}

TEST(AutoResetEvent, WaitForAnyPrefersTheLowestIndexAndTimesOut) {
  AutoResetEvent stop, work;
  work.Set();
  stop.Set();
  EXPECT_EQ(WaitForAny({&stop, &work}, 0ms), 0);
  EXPECT_EQ(WaitForAny({&stop, &work}, 0ms), 1);
  EXPECT_EQ(WaitForAny({&stop, &work}, 20ms), kWaitTimeout);
}

TEST(AutoResetEvent, WakesAWaiterOnAnotherThread) {
  AutoResetEvent stop, work;
  std::atomic<int> woken{-2};
  std::thread waiter([&] { woken = WaitForAny({&stop, &work}); });
  work.Set();
  waiter.join();
  EXPECT_EQ(woken, 1);
}

TEST(AutoResetEvent, ManySignalsEachConsumedOnce) {
  // Two consumers and one producer: no signal is lost for good and none is
  // consumed twice (each Set is matched by at most one successful wait).
  AutoResetEvent event;
  AutoResetEvent done;
  std::atomic<int> consumed{0};
  std::atomic<bool> stopping{false};
  auto consumer = [&] {
    while (!stopping) {
      if (event.Wait(5ms)) ++consumed;
    }
  };
  std::thread a(consumer), b(consumer);
  for (int i = 0; i < 200; ++i) {
    event.Set();
    while (consumed < i + 1) std::this_thread::yield();
  }
  stopping = true;
  a.join();
  b.join();
  EXPECT_EQ(consumed, 200);
}

TEST(NotificationQueue, PostSendAndWaitFor) {
  NotificationQueue queue;
  queue.Post(Notice{Notification::kRelayout});
  queue.Post(Notice{Notification::kLinkStatus, 1});
  auto notice = queue.WaitFor(Notification::kLinkStatus, 1s);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->value, 1);
  EXPECT_FALSE(queue.WaitFor(Notification::kLinkStatus, 10ms));

  std::atomic<bool> sent{false};
  std::thread sender([&] { sent = queue.Send(Notice{Notification::kModalRead, 0}); });
  int handled = 0;
  while (!queue.HandleNext([&](const Notice& n) { handled = static_cast<int>(n.message); }, 5s)) {
  }
  sender.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(handled, 0x607);

  // A send with a time-out gives up when nobody handles it.
  EXPECT_FALSE(queue.Send(Notice{Notification::kModalRead, 0}, 20ms));
  // Closing releases senders and refuses further notices.
  queue.Close();
  EXPECT_FALSE(queue.Send(Notice{Notification::kModalRead, 0}));
}

}  // namespace
}  // namespace ntr
