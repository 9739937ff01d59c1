// Floating-point environment of the audio thread.
//
// The engine relies on denormals being flushed: decaying filter memories and
// smoothers must become exact zeros instead of slow subnormal numbers. Every
// process callback therefore sets the SSE flush-to-zero (bit 15) and
// denormals-are-zero (bit 6) bits on entry and, on exit, restores exactly
// those two bits to what they were, leaving the rest of MXCSR as it is then.
#pragma once
#include <stdint.h>
#include <xmmintrin.h>

enum : uint32_t {
    kMxcsrFlushToZero = 0x8000,
    kMxcsrDenormalsAreZero = 0x40,
    kMxcsrDenormalBits = kMxcsrFlushToZero | kMxcsrDenormalsAreZero,
};

// Saved state of the two denormal bits. [audio thread]
typedef struct FpDenormalGuard {
    uint32_t saved_bits;
} FpDenormalGuard;

// Sets FTZ and DAZ, remembering their previous state. [audio thread]
static inline void fp_denormal_guard_enter(FpDenormalGuard* guard) {
    uint32_t csr = _mm_getcsr();
    guard->saved_bits = csr & kMxcsrDenormalBits;
    _mm_setcsr(csr | kMxcsrDenormalBits);
}

// Puts FTZ and DAZ back as they were on entry; other bits keep their current
// value. [audio thread]
static inline void fp_denormal_guard_leave(const FpDenormalGuard* guard) {
    uint32_t csr = _mm_getcsr();
    _mm_setcsr((csr & ~(uint32_t)kMxcsrDenormalBits) | guard->saved_bits);
}
