// Pass 1b of block processing on generic vectors: the LFO's shape, the
// modulated position and the formant targets, sixteen samples a block
// (wide_targets.h). Included once by each build's source (forms_*.cc),
// after the build's own header (isa_*.h). Each operation is that of the
// per-sample order, with the voice model's constants, in the same order.
#include "engine/shortcuts.h"
#include "engine/voice_model.h"
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
        const bool shape = !(shortcut_on(kShortcutSilentLfo) && s->lfo_silent) ||
                           any_lane(bits(rest) == splat_i(static_cast<int32_t>(0x80000000u))) ||
                           any_lane(~((u - u) == zero)) ||
                           (last_needed && j < m && j + WIDE_LANES >= m);
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
    const WideF h18 = h * splat(kScaleSex);
    const WideF s = ((h * splat(kScaleSexAged) + splat(kScaleAged)) - h18) * a + (h18 + one);
    // Values in [0, 1] give exponents between 7.7 and 11.6.
    const bool short_pow2 = shortcut_on(kShortcutShortPow2) && vs->ordinary;
    for (int f = 0; f < 3; ++f) {
        const WideF octaves = v[f] * splat(kFormantSlope[f]) + splat(kFormantOffset[f]);
        cutoff[f] = (short_pow2 ? pow2_in_range(octaves) : pow2(octaves)) * s;
        q[f] = cutoff[f] * splat(kFormantQPerHz[f]);
    }
}

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
