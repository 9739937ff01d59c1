// The engine's fast kernels. They are part of the sound: their errors set the
// exact formant tuning and LFO shape, so each is computed operation by
// operation in single precision and never swapped for a library call.
// Pure functions; safe on any thread, made for the audio thread.
#pragma once
#include <stdint.h>
#include <string.h>

// The kernels' constants, named once for the scalar and the wide forms.
constexpr uint32_t kRcpSeed = 0x7EF0E840u;    // fast_rcp's first guess: seed - bits(x)
constexpr float kPow2Cubic3 = 0x1.45647ep-4f; // 0.07944154
constexpr float kPow2Cubic2 = 0x1.d1bd02p-3f; // 0.22741129
constexpr float kPow2Cubic1 = 0x1.62e430p-1f; // 0.6931472
constexpr float kSinHalfPi = 0x1.921fb6p+0f;  // 1.5707964
constexpr float kSinCubic3 = -0x1.c5971ep-4f; // -0.11073982
constexpr float kSinCubic2 = -0x1.d619c8p-5f; // -0.05738534

static inline uint32_t fast_bits(float x) {
    uint32_t b;
    memcpy(&b, &x, sizeof b);
    return b;
}

static inline float fast_from_bits(uint32_t b) {
    float x;
    memcpy(&x, &b, sizeof x);
    return x;
}

// Approximate 1/x for positive finite x: a bit-trick seed and two Newton
// steps. Relative error at most about 1.2e-5, always below the true value
// (fast_rcp(0.5) = 1.9999758, fast_rcp(1) = 0.9999879).
static inline float fast_rcp(float x) {
    float v = fast_from_bits(kRcpSeed - fast_bits(x));
    v = (v + v) - (x * v) * v;
    v = (v + v) - (x * v) * v;
    return v;
}

// Exact floor of any single-precision value, by clearing the fraction bits
// below the binary point (-0.0 gives -0.0; NaN and infinities pass through).
static inline float fast_floor(float x) {
    const uint32_t b = fast_bits(x);
    const uint32_t e = (b >> 23) & 0xFFu;
    float t;
    if (e >= 150u) {
        t = x; // |x| >= 2^23: already whole
    } else if (e < 127u) {
        t = fast_from_bits(b & 0x80000000u); // |x| < 1: signed zero
    } else {
        t = fast_from_bits(b & ~((1u << (150u - e)) - 1u));
    }
    return (x < 0.0f && x - t < 0.0f) ? t - 1.0f : t;
}

// x - floor(x), in [0, 1) up to rounding (a tiny negative x can round to 1).
static inline float fast_frac(float x) {
    return x - fast_floor(x);
}

// Approximate 2^x: exact power of two times a cubic in the fraction.
// Relative error at most about 6.1e-4; fast_pow2(0) = 1, below -126 gives 0.
// Domain [-126, 128); beyond 128 (never reached by the formant mapping) the
// result is +inf, and NaN stays NaN, without an undefined integer conversion.
static inline float fast_pow2(float x) {
    if (x < -126.0f)
        return 0.0f;
    if (!(x < 128.0f))
        return x == x ? __builtin_inff() : x;
    int32_t l = static_cast<int32_t>(x);
    if (fast_bits(x) & 0x80000000u)
        l -= 1; // negative integers and -0 get f = 1
    const float f = x - static_cast<float>(l);
    const float v = fast_from_bits(static_cast<uint32_t>(l + 127) << 23);
    return ((f * kPow2Cubic3 + kPow2Cubic2) * f + kPow2Cubic1) * (f * v) + v;
}

// Approximate sin(2*pi*x) for any finite x: a folded triangle through an odd
// cubic. Absolute error at most about 0.0108; fast_sin2pi(0.25) = 1, (0) = 0.
static inline float fast_sin2pi(float x) {
    const float xf = fast_frac(x);
    const float a = (xf + xf) - 1.0f;
    const float aa = fast_from_bits(fast_bits(a) & 0x7FFFFFFFu);
    const float fold = fast_from_bits(fast_bits((aa + aa) - 1.0f) & 0x7FFFFFFFu);
    const float theta = fold * -kSinHalfPi + kSinHalfPi;
    const float s = (theta * kSinCubic3 + kSinCubic2) * (theta * theta) + theta;
    return (fast_bits(a) & 0x80000000u) ? s : -s;
}
