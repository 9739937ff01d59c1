#include "platform/fp_env.h"

#include <gtest/gtest.h>
#include <string.h>

static float denormal_product(void) {
    volatile float tiny = 1e-30f;
    volatile float scale = 1e-10f;
    return tiny * scale; // 1e-40: subnormal unless flushed
}

TEST(FpDenormalGuard, FlushesInsideAndRestoresOnlyItsBitsOnLeave) {
    const uint32_t original = _mm_getcsr();
    _mm_setcsr(original & ~(uint32_t)kMxcsrDenormalBits);
    EXPECT_NE(denormal_product(), 0.0f);

    FpDenormalGuard guard;
    fp_denormal_guard_enter(&guard);
    EXPECT_EQ(_mm_getcsr() & kMxcsrDenormalBits, (uint32_t)kMxcsrDenormalBits);
    EXPECT_EQ(denormal_product(), 0.0f);

    // A bit changed by the block (rounding mode) survives the leave.
    _mm_setcsr(_mm_getcsr() | 0x6000u);
    fp_denormal_guard_leave(&guard);
    EXPECT_EQ(_mm_getcsr() & kMxcsrDenormalBits, 0u);
    EXPECT_EQ(_mm_getcsr() & 0x6000u, 0x6000u);
    _mm_setcsr(original);
}

TEST(FpDenormalGuard, KeepsBitsTheCallerHadAlreadySet) {
    const uint32_t original = _mm_getcsr();
    _mm_setcsr((original & ~(uint32_t)kMxcsrDenormalBits) | kMxcsrFlushToZero);
    FpDenormalGuard guard;
    fp_denormal_guard_enter(&guard);
    fp_denormal_guard_leave(&guard);
    EXPECT_EQ(_mm_getcsr() & kMxcsrDenormalBits, (uint32_t)kMxcsrFlushToZero);
    _mm_setcsr(original);
}
