#include "platform/spin_lock.h"

#ifdef _WIN32
#include <windows.h>
static void yield_processor_to_others(void) {
    SwitchToThread();
}
#else
#include <sched.h>
static void yield_processor_to_others(void) {
    sched_yield();
}
#endif

void spin_lock_acquire(SpinLock* lock) {
    while (!spin_lock_try(lock)) {
        yield_processor_to_others();
    }
}
