// The instance lock: exclusion between threads, re-entry by its owner, bounded waits.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using platform::InstanceLock;
using platform::InstanceLockGuard;

namespace {

// What lock(timeoutMs) answers on another thread, which releases whatever it got.
bool lockFromOtherThread(InstanceLock& lock, unsigned timeoutMs = 0)
{
    bool got = false;
    std::thread other([&] {
        got = lock.lock(timeoutMs);
        if (got) lock.unlock();
    });
    other.join();
    return got;
}

TEST(InstanceLockTest, HeldLockKeepsOtherThreadsOutUntilReleased)
{
    InstanceLock lock;
    ASSERT_TRUE(lock.valid());
    ASSERT_TRUE(lock.lock(0));
    EXPECT_FALSE(lockFromOtherThread(lock, 0));
    EXPECT_FALSE(lockFromOtherThread(lock, 20));
    lock.unlock();
    EXPECT_TRUE(lockFromOtherThread(lock, 0));
    EXPECT_TRUE(lock.lock(0));  // the other thread gave it back
    lock.unlock();
}

TEST(InstanceLockTest, AWaitingThreadGetsTheLockWhenItIsReleased)
{
    InstanceLock lock;
    ASSERT_TRUE(lock.lock());
    std::atomic<bool> waiting{false};
    bool got = false;
    std::thread other([&] {
        waiting = true;
        got = lock.lock(60000);
        if (got) lock.unlock();
    });
    while (!waiting) std::this_thread::yield();
    lock.unlock();
    other.join();
    EXPECT_TRUE(got);
}

TEST(InstanceLockTest, OwnerMayLockAgainAndNeedsAnUnlockForEachLock)
{
    InstanceLock lock;
    ASSERT_TRUE(lock.lock(0));
    ASSERT_TRUE(lock.lock(0));
    lock.unlock();
    EXPECT_FALSE(lockFromOtherThread(lock));
    lock.unlock();
    EXPECT_TRUE(lockFromOtherThread(lock));
}

TEST(InstanceLockTest, UnlockByAThreadThatDoesNotOwnItChangesNothing)
{
    InstanceLock lock;
    ASSERT_TRUE(lock.lock(0));
    std::thread intruder([&] { lock.unlock(); });
    intruder.join();
    EXPECT_FALSE(lockFromOtherThread(lock));
    lock.unlock();
    lock.unlock();  // one unlock too many is harmless as well
    EXPECT_TRUE(lockFromOtherThread(lock));
}

TEST(InstanceLockTest, LockSerialisesThreadsWorkingOnSharedData)
{
    InstanceLock lock;
    long counter = 0;  // deliberately plain: only the lock protects it
    constexpr int rounds = 20000;
    auto work = [&] {
        for (int i = 0; i < rounds; ++i) {
            InstanceLockGuard guard(&lock);
            if (guard.held()) ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 2L * rounds);
}

TEST(InstanceLockTest, GuardHoldsForItsScopeAndToleratesNoLock)
{
    InstanceLock lock;
    {
        InstanceLockGuard guard(&lock);
        EXPECT_TRUE(guard.held());
        EXPECT_FALSE(lockFromOtherThread(lock));
    }
    EXPECT_TRUE(lockFromOtherThread(lock));

    InstanceLockGuard none(nullptr);
    EXPECT_FALSE(none.held());
}

TEST(InstanceLockTest, ManyLocksAreIndependent)
{
    InstanceLock first, second;
    ASSERT_TRUE(first.lock(0));
    EXPECT_TRUE(lockFromOtherThread(second));
    first.unlock();
}

}  // namespace
