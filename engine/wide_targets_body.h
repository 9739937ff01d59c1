// The body of the wide targets pass, on vectors of WIDE_LANES lanes;
// included once by each build of it (wide_targets.cc, wide_targets_avx2.cc,
// wide_targets_avx512.cc), which names the form through WIDE_TARGETS_FORM and
// sets WIDE_LANES to its register's width: 4 for the baseline, 8 for AVX2,
// 16 for AVX-512 (generic vectors wider than the registers would be split
// lane by lane). Everything here has internal linkage, so the builds never
// share code compiled for another's instructions. Each operation is that of
// the scalar kernels (lfo.h, formant_filter.h) in the same order.
#include "engine/wide_math.h"
#include "engine/wide_targets.h"

namespace {

static_assert(kWideLanes % WIDE_LANES == 0, "whole registers in a block");

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
        // v < -1 gives -1, v > 1 gives 1
        v = wide_max(splat(-1.0f), v);
        v = wide_min(one, v);
    } else {
        const WideF d = splat(0.5f) - b;
        const WideF zero = splat(0.0f);
        const WideI negative = (d != zero) & (bits(d) >> 31);
        const WideF sq = from_bits(((d > zero) & bits(one)) | (negative & bits(splat(-1.0f))));
        v = (random_value - sq) * splat(s->mix) + sq;
    }
    return (v + splat(s->bias)) * splat(s->gain);
}

void positions_wide(const PositionSettings* s, const float* u_in, const float* level,
                    const float* env, int32_t m, bool last_needed, float* lfo_out, float* p_out) {
    const WideF position = splat(s->position);
    const WideF zero = splat(0.0f);
    // Whole blocks of sixteen: the targets pass reads them whole.
    const int32_t end = (m + kWideLanes - 1) / kWideLanes * kWideLanes;
    for (int32_t j = 0; j < end; j += WIDE_LANES) {
        const WideF u = load(u_in + j);
        const WideF rest = position + load(env + j);
        WideF p = rest;
        // A silent LFO adds a signed zero, which changes nothing unless the
        // rest is -0 or the phase is not finite (then the contribution is NaN).
        const bool shape =
            !s->lfo_silent || any_lane(bits(rest) == splat_i(static_cast<int32_t>(0x80000000u))) ||
            any_lane(~((u - u) == zero)) || (last_needed && j < m && j + WIDE_LANES >= m);
        if (shape) {
            const WideF lfo = lfo_shape(s, u, load(level + j));
            store(lfo_out + j, lfo);
            p = rest + lfo;
        }
        p = from_bits((p >= zero) & bits(p)); // below 0, and NaN, give the heel
        p = wide_min(splat(1.0f), p);         // above 1 gives 1
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
        for (int f = 0; f < 5; ++f)
            v[f] = splat(vs->low_a[f]) + (splat(vs->low_b[f]) - splat(vs->low_a[f])) * p;
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
        const WideF octaves = v[f] * splat(kSlope[f]) + splat(kOffset[f]);
        // Values in [0, 1] give exponents between 7.7 and 11.6.
        cutoff[f] = (vs->ordinary ? pow2_in_range(octaves) : pow2(octaves)) * s;
        q[f] = cutoff[f] * splat(kQPerHz[f]);
    }
}

// WIDE_LANES samples' values of the three formants into one row per sample.
#if WIDE_LANES == 16
// Two permutes per four rows: filters 1 and 2 of the four samples, then
// filter 3 into lanes 2 and 3.
WIDE_INLINE void to_rows(const WideF by_formant[3], __m128* rows) {
    const __m512 f1 = (__m512)by_formant[0], f2 = (__m512)by_formant[1], f3 = (__m512)by_formant[2];
    for (int g = 0; g < 4; ++g) {
        const int b = 4 * g;
        const __m512i pick12 = _mm512_setr_epi32(b, b + 16, 0, 0, b + 1, b + 17, 0, 0, b + 2,
                                                 b + 18, 0, 0, b + 3, b + 19, 0, 0);
        const __m512i pick3 = _mm512_setr_epi32(0, 1, b + 16, b + 16, 4, 5, b + 17, b + 17, 8, 9,
                                                b + 18, b + 18, 12, 13, b + 19, b + 19);
        const __m512 rows4 =
            _mm512_permutex2var_ps(_mm512_permutex2var_ps(f1, pick12, f2), pick3, f3);
        _mm512_storeu_ps(reinterpret_cast<float*>(&rows[b]), rows4);
    }
}
#else
WIDE_INLINE void to_rows(const WideF by_formant[3], __m128* rows) {
    alignas(16) float lanes[3][WIDE_LANES];
    for (int f = 0; f < 3; ++f)
        store(lanes[f], by_formant[f]);
    for (int g = 0; g < WIDE_LANES; g += 4) {
        __m128 a = _mm_load_ps(&lanes[0][g]), b = _mm_load_ps(&lanes[1][g]),
               c = _mm_load_ps(&lanes[2][g]), d = c;
        _MM_TRANSPOSE4_PS(a, b, c, d);
        rows[g] = a;
        rows[g + 1] = b;
        rows[g + 2] = c;
        rows[g + 3] = d;
    }
}
#endif

void targets_wide(const VowelSettings* v, const float* p, uint32_t blocks, __m128* cutoff_rows,
                  __m128* q_rows) {
    for (int32_t b = 0; blocks != 0; ++b, blocks >>= 1) {
        if (!(blocks & 1u))
            continue;
        for (int32_t j = b * kWideLanes; j < (b + 1) * kWideLanes; j += WIDE_LANES) {
            WideF cutoff[3], q[3];
            formant_targets(v, load(p + j), cutoff, q);
            to_rows(cutoff, &cutoff_rows[j]);
            to_rows(q, &q_rows[j]);
        }
    }
}

} // namespace

const WideTargetsForm WIDE_TARGETS_FORM = {positions_wide, targets_wide};
