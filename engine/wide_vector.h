// Generic vectors of WIDE_LANES floats, for the passes built once per
// instruction set. The build's own header (isa_sse2.h, isa_avx2.h,
// isa_avx512.h) sets WIDE_LANES to its register's width and includes this;
// generic vectors wider than the registers would be split lane by lane.
// Compares give all-ones lanes and selects take whole lanes, so every lane
// gives the scalar bits. Everything has internal linkage, so builds for
// different instruction sets never share code. [audio thread]
#pragma once
#include <emmintrin.h>
#include <stdint.h>
#include <string.h>

// The vectors never cross a function boundary the compiler does not see
// (everything is internal and inlined), so the note that passing them would
// differ between instruction sets does not apply.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

static_assert(WIDE_LANES % 4 == 0, "whole SSE registers in a vector");

typedef float WideF __attribute__((vector_size(4 * WIDE_LANES)));
typedef int32_t WideI __attribute__((vector_size(4 * WIDE_LANES)));
typedef uint32_t WideU __attribute__((vector_size(4 * WIDE_LANES)));

#define WIDE_INLINE inline __attribute__((always_inline))

WIDE_INLINE WideF splat(float x) {
    WideF v;
    for (int i = 0; i < WIDE_LANES; ++i)
        v[i] = x;
    return v;
}
WIDE_INLINE WideI splat_i(int32_t x) {
    WideI v;
    for (int i = 0; i < WIDE_LANES; ++i)
        v[i] = x;
    return v;
}
WIDE_INLINE WideF load(const float* p) {
    WideF v;
    memcpy(&v, p, sizeof v);
    return v;
}
WIDE_INLINE void store(float* p, WideF v) {
    memcpy(p, &v, sizeof v);
}
WIDE_INLINE WideI bits(WideF x) {
    return (WideI)x;
}
WIDE_INLINE WideF from_bits(WideI x) {
    return (WideF)x;
}
WIDE_INLINE WideF select(WideI mask, WideF yes, WideF no) {
    return from_bits((mask & bits(yes)) | (~mask & bits(no)));
}
WIDE_INLINE WideF wide_abs(WideF x) {
    return from_bits(bits(x) & splat_i(0x7FFFFFFF));
}

// Truncation toward zero of values known to be in the int32 range.
WIDE_INLINE WideI truncate(WideF x) {
    return __builtin_convertvector(x, WideI);
}
WIDE_INLINE WideF to_float(WideI x) {
    return __builtin_convertvector(x, WideF);
}

} // namespace
