// state_restore on arbitrary bytes: either all 32 values, none NaN, are set
// in index order inside one lock/unlock pair, or the target is not touched.
#include <math.h>
#include <stdint.h>

#include "state/state_restore.h"

typedef struct Calls {
    int locks, unlocks, sets;
    bool in_order;
} Calls;

static void on_lock(void* user) {
    static_cast<Calls*>(user)->locks++;
}
static void on_unlock(void* user) {
    static_cast<Calls*>(user)->unlocks++;
}
static void on_set(void* user, uint64_t index, float value) {
    Calls* c = static_cast<Calls*>(user);
    if (c->locks != 1 || c->unlocks != 0 || index != (uint64_t)c->sets || isnan(value))
        c->in_order = false;
    c->sets++;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Calls calls = {0, 0, 0, true};
    RestoreTarget target = {&calls, on_lock, on_unlock, on_set};
    int result = state_restore(&target, data, size);
    if (result == 0) {
        if (calls.locks != 1 || calls.unlocks != 1 || calls.sets != 32 || !calls.in_order)
            __builtin_trap();
    } else if (calls.locks || calls.unlocks || calls.sets) {
        __builtin_trap();
    }
    return 0;
}
