// The coefficient pass of a chunk of samples: for every sample whose
// formants moved in the glide, the t, kf and k its smoothed cutoff and Q
// give, and where every lane moved also kbl and hp1 (see formant_lanes.h).
// The samples are independent, so wider registers may take several at once;
// every form performs the lane operations of formant_lanes_candidates and
// formant_lanes_damping, so all give the same bits.
#pragma once
#include <emmintrin.h>
#include <stdint.h>

#include "engine/formant_lanes.h"

enum : int32_t { kCoefficientRows = 32 };

typedef struct CoefficientRows {
    // In: from the glide.
    int moving[kCoefficientRows]; // any lane's cutoff or Q moved
    __m128 cutoff_moves[kCoefficientRows];
    __m128 q_moves[kCoefficientRows];
    __m128 cutoff_cur[kCoefficientRows];
    __m128 q_cur[kCoefficientRows];
    // Out, for the samples that moved.
    bool all_move[kCoefficientRows]; // every lane's cutoff and Q moved: kbl and hp1 are set
    __m128 t[kCoefficientRows];
    __m128 kf[kCoefficientRows];
    __m128 k[kCoefficientRows];
    __m128 kbl[kCoefficientRows];
    __m128 hp1[kCoefficientRows];
} CoefficientRows;

// [audio thread] Row j alone, one sample per SSE register.
static inline void formant_coefficients_row(const FormantLanes* l, CoefficientRows* r, int32_t j) {
    if (!r->moving[j])
        return;
    formant_lanes_candidates(l, r->cutoff_cur[j], r->q_cur[j], &r->t[j], &r->kf[j], &r->k[j]);
    r->all_move[j] = _mm_movemask_ps(_mm_and_ps(r->cutoff_moves[j], r->q_moves[j])) == 0xF;
    if (r->all_move[j])
        formant_lanes_damping(r->k[j], r->kf[j], &r->kbl[j], &r->hp1[j]);
}

typedef void (*FormantCoefficientsFn)(const FormantLanes* l, CoefficientRows* r, int32_t m);

// [audio thread] Rows 0..m-1, one sample per SSE register.
void formant_coefficients_sse2(const FormantLanes* l, CoefficientRows* r, int32_t m);

// [audio thread] Two samples per AVX2 register; null where not built (the
// Windows build, whose compiler cannot keep 32-byte stack alignment).
extern const FormantCoefficientsFn formant_coefficients_avx2;

// [audio thread] The form wah_engine_process uses: the widest this processor
// runs, chosen once when the module loads.
FormantCoefficientsFn formant_coefficients_active(void);

// Forces a form (null: back to the widest), for tests that check each form.
// [non-audio threads, no engine processing]
void formant_coefficients_force(FormantCoefficientsFn fn);
