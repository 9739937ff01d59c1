// The coefficient pass of a chunk of samples: for every sample, the t, kf,
// k, kbl and hp1 that its glided cutoff and Q give.
//
// The filter's coefficients are a pure function of the smoothed cutoff and
// Q: every path that sets them (the glide, a reset) computes them from the
// values it leaves in cutoff_cur and q_cur. So computing them for every
// sample, moved or not, gives the bits the per-sample form keeps, and the
// samples are independent: wider registers take several at once. Every lane
// of every form performs the operations of svf_update_coeffs
// (formant_filter.h) in their order, so all give the same bits.
#pragma once
#include <emmintrin.h>
#include <stdint.h>

#include "engine/formant_lanes.h"

enum : int32_t { kCoefficientRows = 32 };

// Groups of four rows share a 64-byte line, so the widest form loads them
// whole. The Windows compiler cannot align the stack beyond 16 bytes; there
// the wide forms' aligned moves are assembled as unaligned ones (see
// engine/CMakeLists.txt), so rows aligned to 16 bytes serve all the same.
#if defined(_WIN32)
#define COEFFICIENT_ROWS_ALIGN 16
#else
#define COEFFICIENT_ROWS_ALIGN 64
#endif

// Rows of one sample each, the three filters in lanes 0..2.
typedef struct CoefficientRows {
    // In: from the glide.
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 cutoff_cur[kCoefficientRows];
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 q_cur[kCoefficientRows];
    // Out.
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 t[kCoefficientRows];
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 kf[kCoefficientRows];
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 k[kCoefficientRows];
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 kbl[kCoefficientRows];
    alignas(COEFFICIENT_ROWS_ALIGN) __m128 hp1[kCoefficientRows];
} CoefficientRows;

// lower_half: every cutoff in the rows is known to give a tangent argument
// in (0, 1/4) (see formant_lanes_sines_in_lower_half), so the sines need
// neither a range test nor a sign step.
typedef void (*FormantCoefficientsFn)(const FormantLanes* l, CoefficientRows* r, int32_t m, bool lower_half);

// [audio thread] Rows 0..m-1, one sample per SSE register.
void formant_coefficients_sse2(const FormantLanes* l, CoefficientRows* r, int32_t m, bool lower_half);

// [audio thread] Two rows per AVX2 register, four per AVX-512 register.
extern const FormantCoefficientsFn formant_coefficients_avx2;
extern const FormantCoefficientsFn formant_coefficients_avx512;
