#pragma once
// Included ahead of every GoogleTest source and test on Windows. GoogleTest's
// own Notification is made of std::mutex and std::condition_variable, which the
// win32 thread model of our compilers does not have; this one waits on a flag.
// Only GoogleTest's thread helper uses it (our tests do not).
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true, std::memory_order_release); }
    void WaitForNotification()
    {
        while (!notified_.load(std::memory_order_acquire))
            __builtin_ia32_pause();
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
