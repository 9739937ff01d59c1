// The per-instance parameter lock: one byte, 0 free, 1 held.
//
// The audio thread only ever tries it once (spin_lock_try) and goes on
// without it when busy. Other threads spin with an atomic exchange and yield
// the processor after each failed attempt (spin_lock_acquire).
#pragma once
#include <atomic>
#include <stdint.h>

typedef std::atomic<uint8_t> SpinLock;

// One attempt; true when the lock is now held by the caller. [any thread]
static inline bool spin_lock_try(SpinLock* lock) {
    return lock->exchange(1, std::memory_order_acquire) == 0;
}

// Spins until held, yielding after each failed attempt. Never call it on the
// audio thread. [non-audio threads]
void spin_lock_acquire(SpinLock* lock);

// [thread holding the lock]
static inline void spin_lock_release(SpinLock* lock) {
    lock->store(0, std::memory_order_release);
}
