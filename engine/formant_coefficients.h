// The coefficient pass of a chunk of samples: for every sample, the t, kf,
// k, kbl and hp1 that its glided cutoff and Q give.
//
// The filter's coefficients are a pure function of the smoothed cutoff and
// Q: every path that sets them (the glide, a reset) computes them from the
// values it leaves in cutoff_cur and q_cur. So computing them for every
// sample, moved or not, gives the bits the per-sample form keeps, and the
// samples are independent: wider registers take several at once. Every lane
// of every form performs the operations of svf_update_coeffs
// (formant_filter.h) in their order, so all give the same bits; where the
// block start has proven the range of the cutoffs (lower_half below), it
// leaves out steps that are exact there, with the same result.
#pragma once
#include <emmintrin.h>
#include <stdint.h>

#include "engine/formant_lanes.h"

enum : int32_t { kCoefficientRows = 64 };

// The rows are packed: the three filters of sample j at floats 3j, 3j + 1
// and 3j + 2, so the pass's vectors hold no idle lane. The filters load a
// sample's three values with the next one in their fourth lane, which only
// feeds that idle lane; the padding covers the last sample's fourth value
// and the widest vector that runs past the last row.
enum : int32_t { kCoefficientFloats = 3 * kCoefficientRows + 16 };

// Whole vectors of any form lie in 64-byte lines. The Windows compiler
// cannot align the stack beyond 16 bytes; there the wide forms' aligned
// moves are assembled as unaligned ones (see engine/CMakeLists.txt), so
// arrays aligned to 16 bytes serve all the same.
#if defined(_WIN32)
#define COEFFICIENT_ROWS_ALIGN 16
#else
#define COEFFICIENT_ROWS_ALIGN 64
#endif

typedef struct CoefficientRows {
    // In: from the glide.
    alignas(COEFFICIENT_ROWS_ALIGN) float cutoff_cur[kCoefficientFloats];
    alignas(COEFFICIENT_ROWS_ALIGN) float q_cur[kCoefficientFloats];
    // Out.
    alignas(COEFFICIENT_ROWS_ALIGN) float t[kCoefficientFloats];
    alignas(COEFFICIENT_ROWS_ALIGN) float kf[kCoefficientFloats];
    alignas(COEFFICIENT_ROWS_ALIGN) float k[kCoefficientFloats];
    alignas(COEFFICIENT_ROWS_ALIGN) float kbl[kCoefficientFloats];
    alignas(COEFFICIENT_ROWS_ALIGN) float hp1[kCoefficientFloats];
} CoefficientRows;

// The packed values of sample j, filters in lanes 0..2 (lane 3 is the next
// sample's first filter, or padding).
static inline __m128 coefficient_row(const float* packed, int32_t j) {
    return _mm_loadu_ps(packed + 3 * j);
}
static inline void coefficient_row_store(float* packed, int32_t j, __m128 v) {
    _mm_storeu_ps(packed + 3 * j, v);
}

// The sample rate's values the pass needs: the three filters share them
// (wah_engine_set_sample_rate sets every filter's from the one rate).
// Passed apart from the lanes, so the lanes never leave the block's
// registers for a call.
typedef struct CoefficientRates {
    float t_k, prewarp_max;
} CoefficientRates;

// What the block start proved about every cutoff in the rows, so the pass
// may leave steps out: lower_half, each gives a tangent argument in
// (0, 1/4) (see formant_lanes_sines_in_lower_half), so the sines need
// neither a range test nor a sign step, and each knows its quarter of the
// turn (see sin2pi_quarter_pair).
typedef void (*FormantCoefficientsFn)(const CoefficientRates* rates, CoefficientRows* r, int32_t m,
                                      bool lower_half);

// [audio thread] Rows 0..m-1 (floats 0..3m - 1; the pass may write on up to
// the end of its last vector, never past the padding). Each build of block
// processing has its own (see wide_forms.h).
