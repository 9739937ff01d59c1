// The reference count of our COM-style objects (the VST3 component,
// controller and view). Hosts may add and release references from several
// threads, so the count is atomic: two releases that race must still free
// the object exactly once. The values returned are the count after the call,
// as a plain counter would give them.
#pragma once
#include <atomic>
#include <new>
#include <stdint.h>

typedef std::atomic<int32_t> RefCount;

// Makes the count in raw (calloc'd) memory. [creating thread]
static inline void ref_count_init(RefCount* count, int32_t value) {
    new (count) RefCount(value);
}

// [any thread]
static inline uint32_t ref_count_add(RefCount* count) {
    return (uint32_t)(count->fetch_add(1, std::memory_order_relaxed) + 1);
}

// The count after the release; 0 means the caller held the last reference
// and now owns the object alone (everything other threads did to it before
// their releases is visible). [any thread]
static inline uint32_t ref_count_release(RefCount* count) {
    return (uint32_t)(count->fetch_sub(1, std::memory_order_acq_rel) - 1);
}
