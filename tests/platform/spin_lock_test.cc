#include "platform/spin_lock.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(SpinLock, TryFailsWhileHeldAndSucceedsAfterRelease) {
    SpinLock lock{0};
    EXPECT_TRUE(spin_lock_try(&lock));
    EXPECT_FALSE(spin_lock_try(&lock));
    spin_lock_release(&lock);
    EXPECT_TRUE(spin_lock_try(&lock));
    spin_lock_release(&lock);
}

TEST(SpinLock, AcquireExcludesOtherThreads) {
    SpinLock lock{0};
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; i++) {
                spin_lock_acquire(&lock);
                counter = counter + 1;
                spin_lock_release(&lock);
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(counter, 80000);
}
