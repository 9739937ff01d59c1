// The body of the wide targets pass, on vectors of WIDE_LANES lanes;
// included once by each build of it (wide_targets.cc, wide_targets_avx2.cc,
// wide_targets_avx512.cc), which names the form through WIDE_TARGETS_FORM and
// sets WIDE_LANES to its register's width: 4 for the baseline, 8 for AVX2,
// 16 for AVX-512 (generic vectors wider than the registers would be split
// lane by lane). Everything here has internal linkage, so the builds never
// share code compiled for another's instructions.
// Each operation is that of the scalar kernels (fast_math.h, lfo.h,
// formant_filter.h) in the same order; compares give all-ones lanes, and
// selects take whole lanes, so every lane gives the scalar bits.
#include <string.h>

#include "engine/wide_targets.h"

// The vectors never cross a function boundary the compiler does not see
// (everything is internal and inlined), so the note that passing them would
// differ between instruction sets does not apply.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

static_assert(kWideLanes % WIDE_LANES == 0 && WIDE_LANES % 4 == 0, "whole registers in a block");

typedef float WideF __attribute__((vector_size(4 * WIDE_LANES)));
typedef int32_t WideI __attribute__((vector_size(4 * WIDE_LANES)));
typedef uint32_t WideU __attribute__((vector_size(4 * WIDE_LANES)));

#define WIDE_INLINE inline __attribute__((always_inline))

WIDE_INLINE WideF splat(float x) {
    WideF v;
    for (int i = 0; i < WIDE_LANES; ++i) v[i] = x;
    return v;
}
WIDE_INLINE WideI splat_i(int32_t x) {
    WideI v;
    for (int i = 0; i < WIDE_LANES; ++i) v[i] = x;
    return v;
}
WIDE_INLINE WideF load(const float* p) {
    WideF v;
    memcpy(&v, p, sizeof v);
    return v;
}
WIDE_INLINE void store(float* p, WideF v) { memcpy(p, &v, sizeof v); }
WIDE_INLINE WideI bits(WideF x) { return (WideI)x; }
WIDE_INLINE WideF from_bits(WideI x) { return (WideF)x; }
WIDE_INLINE WideF select(WideI mask, WideF yes, WideF no) { return from_bits((mask & bits(yes)) | (~mask & bits(no))); }
WIDE_INLINE WideF wide_abs(WideF x) { return from_bits(bits(x) & splat_i(0x7FFFFFFF)); }

// Whether any lane of a compare result is set.
WIDE_INLINE bool any_lane(WideI m) {
    __m128i q[WIDE_LANES / 4];
    memcpy(q, &m, sizeof q);
    __m128i any = q[0];
    for (int i = 1; i < WIDE_LANES / 4; ++i) any = _mm_or_si128(any, q[i]);
    return _mm_movemask_epi8(any) != 0;
}

// Truncation toward zero of values known to be in the int32 range.
WIDE_INLINE WideI truncate(WideF x) { return __builtin_convertvector(x, WideI); }
WIDE_INLINE WideF to_float(WideI x) { return __builtin_convertvector(x, WideF); }

// lanes_floor.
WIDE_INLINE WideF wide_floor(WideF x) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideI small = wide_abs(x) < splat(8388608.0f);
    WideF t = from_bits(bits(to_float(truncate(from_bits(small & bits(x))))) | (bits(x) & sign));
    t = select(small, t, x);
    return select(x < t, t - splat(1.0f), t);
}

// lanes_sin2pi_unit and lanes_sin2pi.
WIDE_INLINE WideF sin2pi_unit(WideF xf) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideF one = splat(1.0f);
    const WideF a = (xf + xf) - one;
    const WideF aa = from_bits(~sign & bits(a));
    const WideF fold = from_bits(~sign & bits((aa + aa) - one));
    const WideF theta = fold * splat(-0x1.921fb6p+0f) + splat(0x1.921fb6p+0f);
    const WideF poly = theta * splat(-0x1.c5971ep-4f) + splat(-0x1.d619c8p-5f);
    const WideF s = poly * (theta * theta) + theta;
    return from_bits(bits(s) ^ (~bits(a) & sign));
}
WIDE_INLINE WideF sin2pi(WideF x) { return sin2pi_unit(x - wide_floor(x)); }

// lanes_pow2.
WIDE_INLINE WideF pow2(WideF x) {
    const WideI in_range = x < splat(128.0f);
    const WideF xs = from_bits(in_range & bits(x));  // keeps the conversion defined
    WideI l = truncate(xs);
    l = l + (bits(xs) >> 31);  // minus 1 when the sign is set
    const WideF f = xs - to_float(l);
    const WideF v = from_bits((WideI)(((WideU)(l + splat_i(127))) << 23));
    const WideF poly = (f * splat(0x1.45647ep-4f) + splat(0x1.d1bd02p-3f)) * f + splat(0x1.62e430p-1f);
    WideF r = poly * (f * v) + v;
    // Beyond the domain: +inf for large x, NaN stays NaN, 0 below -126.
    const WideI ordered = x == x;
    const WideI big = ~in_range & ((ordered & bits(splat(__builtin_inff()))) | (~ordered & bits(x)));
    r = from_bits((in_range & bits(r)) | big);
    return from_bits(~(x < splat(-126.0f)) & bits(r));
}

// lfo_skewed_phase and lfo_wave: skewed phase, then the waveform (the
// block's waveform choice is a branch, the per-sample choices are selects).
WIDE_INLINE WideF lfo_shape(const PositionSettings* s, WideF u, WideF random_value) {
    const WideF one = splat(1.0f);
    const WideF rising = splat(s->rise) * u;
    const WideF falling = ((u + one) - splat(s->kk)) * splat(s->fall);
    const WideF b = select(u < splat(s->k), rising, falling);
    WideF v;
    if (s->form == 0) {
        const WideF tri = wide_abs(b - splat(0.5f)) * splat(-4.0f) + one;
        const WideF sine = sin2pi(tri * splat(0.25f));
        v = (tri - sine) * splat(s->mix) + sine;
    } else if (s->form == 1) {
        const WideF r = splat(s->mix) * b - one;
        const WideF down = splat(s->g_half) - r;
        v = select(b < splat(0.5f), r, down);
        // v < -1 gives -1, v > 1 gives 1 (maxps and minps keep their second operand on ties and NaN)
        v = select(splat(-1.0f) > v, splat(-1.0f), v);
        v = select(one < v, one, v);
    } else {
        const WideF d = splat(0.5f) - b;
        const WideF zero = splat(0.0f);
        const WideI negative = (d != zero) & (bits(d) >> 31);
        const WideF sq = from_bits(((d > zero) & bits(one)) | (negative & bits(splat(-1.0f))));
        v = (random_value - sq) * splat(s->mix) + sq;
    }
    return (v + splat(s->bias)) * splat(s->gain);
}

void positions_wide(const PositionSettings* s, const float* u_in, const float* level, const float* env, int32_t m,
                    bool last_needed, float* lfo_out, float* p_out) {
    const WideF position = splat(s->position);
    const WideF zero = splat(0.0f);
    for (int32_t j = 0; j < m; j += WIDE_LANES) {
        const WideF u = load(u_in + j);
        const WideF rest = position + load(env + j);
        WideF p = rest;
        // A silent LFO adds a signed zero, which changes nothing unless the
        // rest is -0 or the phase is not finite (then the contribution is NaN).
        const bool shape = !s->lfo_silent || any_lane(bits(rest) == splat_i(static_cast<int32_t>(0x80000000u))) ||
                           any_lane(~((u - u) == zero)) || (last_needed && j + WIDE_LANES >= m);
        if (shape) {
            const WideF lfo = lfo_shape(s, u, load(level + j));
            store(lfo_out + j, lfo);
            p = rest + lfo;
        }
        p = from_bits((p >= zero) & bits(p));  // below 0, and NaN, give the heel
        p = select(splat(1.0f) < p, splat(1.0f), p);  // above 1 gives 1
        store(p_out + j, p);
    }
}

// vowel_morph and formant_values on WIDE_LANES positions (the mid switch is
// the block's; the half is chosen per lane).
WIDE_INLINE void formant_targets(const VowelSettings* vs, WideF p, WideF cutoff[3], WideF q[3]) {
    WideF v[5];
    if (vs->mid_on) {
        const WideF p2 = splat(2.0f) * p;
        const WideI upper = p2 >= splat(1.0f);
        const WideF t = select(upper, p2 - splat(1.0f), p2);
        for (int f = 0; f < 5; ++f) {
            const WideF a = select(upper, splat(vs->high_a[f]), splat(vs->low_a[f]));
            const WideF b = select(upper, splat(vs->high_b[f]), splat(vs->low_b[f]));
            v[f] = a + (b - a) * t;
        }
    } else {
        for (int f = 0; f < 5; ++f) v[f] = splat(vs->low_a[f]) + (splat(vs->low_b[f]) - splat(vs->low_a[f])) * p;
    }
    const WideF one = splat(1.0f);
    const WideF h = one - v[3];
    const WideF a = one - v[4];
    const WideF h18 = h * splat(0x1.70a3d0p-3f);
    const WideF s = ((h * splat(0x1.9999a0p-4f) + splat(0x1.666668p-2f)) - h18) * a + (h18 + one);
    static const float kSlope[3] = {0x1.042664p+1f, 0x1.e27016p+0f, 0x1.43b8a8p-1f};
    static const float kOffset[3] = {0x1.f201ccp+2f, 0x1.2b0478p+3f, 0x1.5ee7b4p+3f};
    static const float kQPerHz[3] = {0x1.99999ap-7f, 0x1.47ae14p-7f, 0x1.111112p-7f};
    for (int f = 0; f < 3; ++f) {
        cutoff[f] = pow2(v[f] * splat(kSlope[f]) + splat(kOffset[f])) * s;
        q[f] = cutoff[f] * splat(kQPerHz[f]);
    }
}

// WIDE_LANES samples' values of the three formants into one row per sample.
WIDE_INLINE void to_rows(const WideF by_formant[3], __m128* rows) {
    alignas(16) float lanes[3][WIDE_LANES];
    for (int f = 0; f < 3; ++f) store(lanes[f], by_formant[f]);
    for (int g = 0; g < WIDE_LANES; g += 4) {
        __m128 a = _mm_load_ps(&lanes[0][g]), b = _mm_load_ps(&lanes[1][g]), c = _mm_load_ps(&lanes[2][g]), d = c;
        _MM_TRANSPOSE4_PS(a, b, c, d);
        rows[g] = a;
        rows[g + 1] = b;
        rows[g + 2] = c;
        rows[g + 3] = d;
    }
}

void targets_wide(const VowelSettings* v, const float* p, uint32_t blocks, __m128* cutoff_rows, __m128* q_rows) {
    for (int32_t b = 0; blocks != 0; ++b, blocks >>= 1) {
        if (!(blocks & 1u)) continue;
        for (int32_t j = b * kWideLanes; j < (b + 1) * kWideLanes; j += WIDE_LANES) {
            WideF cutoff[3], q[3];
            formant_targets(v, load(p + j), cutoff, q);
            to_rows(cutoff, &cutoff_rows[j]);
            to_rows(q, &q_rows[j]);
        }
    }
}

}  // namespace

const WideTargetsForm WIDE_TARGETS_FORM = {positions_wide, targets_wide};
