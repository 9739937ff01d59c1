// The serial passes of block processing: 1c the formant glide, 3 the filter
// state, and with them 1a the modulators. They are chains from sample to
// sample, so the driver (block_driver.h) runs those of three chunks in a
// row in one loop: 1a of chunk k + 1, 1c of chunk k and 3 of chunk k - 1,
// whose chains are independent and overlap. Then pass 2 (the coefficients,
// wide) of chunk k and pass 4 (the output, wide) of chunk k - 1. Included
// by each build's source (forms_*.cc), after the build's block header.
#pragma once
#include "engine/block_output.h"
#include "engine/block_targets.h"
#include "engine/shortcuts.h"

namespace {

// Pass 1c, one sample: the formant glide, serial but short; the shorter
// form when the block's targets are ordinary (see BlockForms).
WAH_INLINE void glide_sample(FormantLanes* l, Chunk* c, int32_t j, bool ordinary) {
    if (!c->same_targets[j / 4]) {
        l->cutoff = c->cutoff[j];
        l->q = c->q[j];
    }
    if (ordinary) {
        formant_lanes_glide_ordinary(l);
    } else {
        __m128 cutoff_moves, q_moves;
        formant_lanes_glide(l, &cutoff_moves, &q_moves);
    }
    coefficient_row_store(c->rows.cutoff_cur, j, l->cutoff_cur);
    coefficient_row_store(c->rows.q_cur, j, l->q_cur);
}

// Pass 3, sample x at j of a still chunk: the coefficients stay.
WAH_INLINE void render_still_sample(FormantLanes* l, Chunk* c, int32_t j, float x) {
    c->bp[j] = formant_lanes_process_at(l, x, c->still_cutoff_cur);
}

// Pass 3, sample x at j of a gliding chunk, with its coefficients.
WAH_INLINE void render_sample(FormantLanes* l, Chunk* c, int32_t j, float x) {
    l->t = coefficient_row(c->rows.t, j);
    l->kf = coefficient_row(c->rows.kf, j);
    l->kbl = coefficient_row(c->rows.kbl, j);
    l->hp1 = coefficient_row(c->rows.hp1, j);
    c->bp[j] = formant_lanes_process_at(l, x, coefficient_row(c->rows.cutoff_cur, j));
}

// Whether the glide toward these targets moves nothing: every lane of the
// smoothed values already equals them (the glide's own test, negated).
bool lanes_settled(__m128 cutoff, __m128 q, const FormantLanes* l) {
    const __m128 eq = _mm_and_ps(_mm_cmpeq_ps(cutoff, l->cutoff_cur), _mm_cmpeq_ps(q, l->q_cur));
    return _mm_movemask_ps(eq) == 0xF;
}

// A chunk glides nowhere when the smoothed values already equal the
// targets in force and every group of four kept its targets or brought
// targets equal in every lane to the smoothed values (as after each block
// start, which forgets the last position): each of its samples would find
// nothing moving and keep the smoothed values. The glide would still take
// the new targets; so does this.
WAH_INLINE bool chunk_still(FormantLanes* l, const Chunk* c, int32_t m) {
    if (!lanes_settled(l->cutoff, l->q, l))
        return false;
    int32_t last_new = -1;
    for (int32_t g = 0; g < m; g += 4) {
        if (c->same_targets[g / 4])
            continue;
        const int32_t end = g + 4 < m ? g + 4 : m;
        for (int32_t j = g; j < end; ++j) {
            if (!lanes_settled(c->cutoff[j], c->q[j], l))
                return false;
            last_new = j;
        }
    }
    if (last_new >= 0) {
        l->cutoff = c->cutoff[last_new];
        l->q = c->q[last_new];
    }
    return true;
}

// The serial passes of three consecutive chunks, any of which may be absent
// (m = 0): modulators of next, glide of now, render of prev.
struct Stage {
    Chunk* c;
    int32_t m;
};
struct RenderStage {
    Chunk* c;
    int32_t m;
    const float* input;
    float* output;
};

// What one run of the shared loop works on.
struct SerialRun {
    Modulators* md;
    MixerRun* mixer;
    FormantLanes* l;
    Stage next;
    const float* next_input;
    Stage now;
    RenderStage prev;
    bool ordinary; // the glide's shorter form holds (see BlockForms)
};

// The shared loop, for a gliding or still chunk now and a gliding or still
// chunk prev (a still chunk's samples need neither the glide nor
// coefficients of their own), with or without moving mix and bypass
// smoothers (resting, they hold no registers in the loop), and with the
// envelope in pass 1a or, where the positions are free of the input, beside
// the filters. Each case is a loop of its own, so no sample tests them.
template <bool kGlide, bool kPrevStill, bool kMixerMoves, bool kInputFree>
WAH_INLINE void serial_loop(SerialRun r) {
    Modulators* md = r.md;
    FormantLanes* l = r.l;
    const Stage next = r.next, now = r.now;
    const RenderStage prev = r.prev;
    MixerRun mx;
    if (kMixerMoves)
        mx = *r.mixer;
    int32_t m = next.m > prev.m ? next.m : prev.m;
    if (kGlide && now.m > m)
        m = now.m;
    for (int32_t j = 0; j < m; ++j) {
        if (j < next.m) {
            if (kInputFree) {
                lfo_sample(md, next.c, j);
            } else {
                modulator_sample(md, next.c, r.next_input, j);
            }
            if (kMixerMoves)
                mixer_sample(&mx, next.c, j);
        }
        if (kGlide && j < now.m)
            glide_sample(l, now.c, j, r.ordinary);
        if (j < prev.m) {
            const float x = kInputFree ? envelope_sample(md, prev.c, prev.input, j) : prev.c->x[j];
            if (kPrevStill) {
                render_still_sample(l, prev.c, j, x);
            } else {
                render_sample(l, prev.c, j, x);
            }
        }
    }
    // The coefficients in force after a gliding chunk: its last sample's.
    if (!kPrevStill && prev.m > 0)
        l->k = coefficient_row(prev.c->rows.k, prev.m - 1);
    if (kMixerMoves)
        *r.mixer = mx;
}

template <bool kGlide, bool kPrevStill>
WAH_INLINE void serial_loop_for(bool input_free, SerialRun r) {
    if (r.mixer->moving) {
        if (input_free) {
            serial_loop<kGlide, kPrevStill, true, true>(r);
        } else {
            serial_loop<kGlide, kPrevStill, true, false>(r);
        }
    } else if (input_free) {
        serial_loop<kGlide, kPrevStill, false, true>(r);
    } else {
        serial_loop<kGlide, kPrevStill, false, false>(r);
    }
}

WAH_INLINE void serial_loop_forms(bool glide, bool prev_still, bool input_free, SerialRun r) {
    if (glide) {
        if (prev_still) {
            serial_loop_for<true, true>(input_free, r);
        } else {
            serial_loop_for<true, false>(input_free, r);
        }
    } else if (prev_still) {
        serial_loop_for<false, true>(input_free, r);
    } else {
        serial_loop_for<false, false>(input_free, r);
    }
}

// The forms the block start chose for the glide and the coefficient pass:
// the glide's shorter form holds for the whole block when the targets
// carried in and every target the block's vowels give are ordinary; the
// coefficient pass may leave steps out where the ranges are proven.
struct BlockForms {
    bool ordinary, lower_half;
};

BlockForms block_forms(const VowelSettings* v, const FormantLanes* l) {
    const bool ordinary = v->ordinary && formant_lanes_targets_ordinary(l);
    return {shortcut_on(kShortcutOrdinaryGlide) && ordinary,
            shortcut_on(kShortcutLowerHalf) && ordinary && formant_lanes_sines_in_lower_half(l)};
}

// Pass 2 of a gliding chunk of m samples.
void chunk_coefficients(FormantCoefficientsFn coefficients, const BlockForms* forms,
                        const FormantLanes* l, Chunk* c, int32_t m) {
    const CoefficientRates rates = {_mm_cvtss_f32(l->t_k), _mm_cvtss_f32(l->prewarp_max)};
    coefficients(&rates, &c->rows, m, forms->lower_half);
    // The last sample's loads take float 3m along into the idle lane;
    // zeros there leave that lane's filter at rest.
    CoefficientRows* r = &c->rows;
    const int32_t after = 3 * m;
    r->t[after] = r->kf[after] = r->kbl[after] = r->hp1[after] = 0.0f;
}

// The serial passes of three chunks in one loop, then pass 2 of now.
// A still chunk needs no coefficients of its own, so when nothing before it
// waits for the filters it is rendered at once, in the place of prev (the
// pipeline then lags one chunk less); returns whether it was. A chunk now
// that belongs to the next block (now_leads) is only glided: its
// coefficients wait for that block, and it is never rendered here.
// The states live in locals: the output array could alias the engine as far
// as the compiler knows, which would send every state through memory.
bool serial_passes(FormantCoefficientsFn coefficients, const BlockForms* forms, bool input_free,
                   bool now_leads, Modulators* modulators, MixerRun* mixer, FormantLanes* lanes,
                   Stage next, const float* next_input, Stage now, RenderStage prev,
                   RenderStage now_output) {
    Modulators md = *modulators;
    FormantLanes l = *lanes;
    const bool glide =
        now.m > 0 && !(shortcut_on(kShortcutStillChunks) && chunk_still(&l, now.c, now.m));
    if (now.m > 0) {
        now.c->still = !glide;
        now.c->still_cutoff_cur = l.cutoff_cur;
    }
    const bool render_now =
        shortcut_on(kShortcutRenderStillNow) && now.m > 0 && !glide && prev.m == 0 && !now_leads;
    if (render_now) {
        prev = now_output;
        now.m = 0;
    }
    const bool prev_still = prev.m > 0 && prev.c->still;
    serial_loop_forms(glide, prev_still, input_free,
                      {&md, mixer, &l, next, next_input, now, prev, forms->ordinary});
    *modulators = md;
    *lanes = l;
    // Pass 2 on its own: it is wide work with no chain to overlap.
    if (glide && !now_leads)
        chunk_coefficients(coefficients, forms, &l, now.c, now.m);
    if (prev.m > 0)
        chunk_output(prev.c, prev.m, mixer, prev.input, prev.output);
    return render_now;
}

} // namespace
