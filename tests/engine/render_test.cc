// Situations the scenarios (scenario_hash_test.cc) pass through only now
// and then, each against the plain reference, sample for sample.
#include <gtest/gtest.h>
#include <math.h>

#include <algorithm>

#include "engine/fast_math.h"
#include "engine/one_pole.h"
#include "engine/wide_forms.h"
#include "engine_test_util.h"
#include "platform/fp_env.h"
#include "reference_engine.h"

TEST(Render, StillAndClampedPedalsMatchThePlainReference) {
    // Modulators off (a still pedal) and an envelope that pins the pedal at
    // the toe, with the mid setting on and off.
    for (int variant = 0; variant < 4; ++variant) {
        WahEngine a;
        prepare_default_engine(&a, 44100.0f);
        wah_engine_set_parameter(&a, kMidOn, static_cast<float>(variant & 1));
        if (variant & 2) {
            wah_engine_set_parameter(&a, kEnvOn, 1.0f);
            wah_engine_set_parameter(&a, kEnvAmount, 100.0f);
        }
        WahEngine b = a;
        const std::vector<float> in = test_noise(3000, 0.3f, 7u + variant);
        std::vector<float> out_a(in.size()), out_b(in.size());
        for (size_t i = 0; i < in.size(); i += 300) {
            if (i == 1500) {
                wah_engine_set_parameter(&a, kPosition, 80.0f);
                wah_engine_set_parameter(&b, kPosition, 80.0f);
            }
            wah_engine_process(&a, in.data() + i, out_a.data() + i, 300);
            reference_process(&b, in.data() + i, out_b.data() + i, 300);
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(float_bits(out_a[i]), float_bits(out_b[i])) << variant << " " << i;
        EXPECT_EQ(float_bits(a.mod_position), float_bits(b.mod_position));
        EXPECT_EQ(float_bits(a.lfo_out), float_bits(b.lfo_out));
    }
}

TEST(Render, SettledPedalThatMovesAgainMatchesThePlainReference) {
    // A pedal left long enough for every formant glide to settle (whole
    // chunks then glide nowhere), then moved and left to settle again, with
    // block sizes that put the moves and the settling at every chunk offset
    // and block starts that find the glide settled.
    const int32_t kBlocks[] = {1, 32, 37, 256, 1000};
    for (int32_t block : kBlocks) {
        WahEngine a;
        prepare_default_engine(&a, 48000.0f);
        WahEngine b = a;
        const std::vector<float> in = test_noise(144000, 0.3f, 99u + static_cast<uint32_t>(block));
        std::vector<float> out_a(in.size()), out_b(in.size());
        for (size_t i = 0; i < in.size(); i += static_cast<size_t>(block)) {
            const int32_t n =
                static_cast<int32_t>(std::min(in.size() - i, static_cast<size_t>(block)));
            if (i / 48000 != (i + static_cast<size_t>(n)) / 48000 || i == 0) {
                const float position = static_cast<float>((i / 48000) * 37 % 101);
                wah_engine_set_parameter(&a, kPosition, position);
                wah_engine_set_parameter(&b, kPosition, position);
            }
            wah_engine_process(&a, in.data() + i, out_a.data() + i, n);
            reference_process(&b, in.data() + i, out_b.data() + i, n);
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(float_bits(out_a[i]), float_bits(out_b[i])) << block << " " << i;
        for (int f = 0; f < 3; ++f) {
            EXPECT_EQ(float_bits(a.svf[f].cutoff_cur), float_bits(b.svf[f].cutoff_cur));
            EXPECT_EQ(float_bits(a.svf_state[f].bp_z1), float_bits(b.svf_state[f].bp_z1));
        }
        // The envelope and the LFO stepped once per sample, whether a chunk
        // stood still or moved.
        EXPECT_EQ(float_bits(a.env_level), float_bits(b.env_level)) << block;
        EXPECT_EQ(float_bits(a.lfo_phase_acc), float_bits(b.lfo_phase_acc)) << block;
    }
}

TEST(Render, SilentLfoEdgesMatchThePlainReference) {
    // A silent LFO adds a signed zero that is skipped unless it could show:
    // a position of -0 with an envelope contribution of -0 (silence through
    // a negative amount), where the zero's sign (from the bias) decides the
    // sign of the position, and phases made NaN by an infinite host tempo,
    // which send the pedal to the heel.
    for (int variant = 0; variant < 8; ++variant) {
        const bool zero_depth = variant & 1, infinite_tempo = variant & 2,
                   positive_bias = variant & 4;
        WahEngine a;
        prepare_default_engine(&a, 48000.0f);
        wah_engine_set_parameter(&a, kPosition, infinite_tempo ? 60.0f : -0.0f);
        wah_engine_set_parameter(&a, kLfoBias, positive_bias ? 40.0f : -40.0f);
        if (zero_depth) {
            wah_engine_set_parameter(&a, kLfoOn, 1.0f);
            wah_engine_set_parameter(&a, kLfoAmount, 0.0f);
        }
        if (infinite_tempo) {
            wah_engine_set_parameter(&a, kLfoSync, 1.0f);
            TransportInfo ti = {};
            ti.valid_mask = kTransportRolling | kTransportSpeed | kTransportTempo;
            ti.changed_mask = ti.valid_mask;
            ti.rolling = true;
            ti.speed = 1.0f;
            ti.tempo = __builtin_inff();
            wah_engine_apply_transport(&a, &ti);
        } else {
            wah_engine_set_parameter(&a, kEnvOn, 1.0f);
            wah_engine_set_parameter(&a, kEnvAmount, -50.0f);
        }
        WahEngine b = a;
        // Digital silence, then noise.
        std::vector<float> in = test_noise(4000, 0.3f, 5u + static_cast<uint32_t>(variant));
        std::fill(in.begin(), in.begin() + 1000, 0.0f);
        std::vector<float> out_a(in.size()), out_b(in.size());
        bool minus_zero_seen = false;
        for (size_t i = 0; i < in.size(); i += 250) {
            wah_engine_process(&a, in.data() + i, out_a.data() + i, 250);
            reference_process(&b, in.data() + i, out_b.data() + i, 250);
            minus_zero_seen |= float_bits(a.mod_position) == 0x80000000u;
            ASSERT_EQ(float_bits(a.mod_position), float_bits(b.mod_position))
                << variant << " " << i;
            // NaN phases give a NaN contribution, whose sign and payload
            // IEEE 754 leaves open (a compiler may swap the operands of a
            // sum); any NaN will do there.
            const bool both_nan = isnan(a.lfo_out) && isnan(b.lfo_out);
            ASSERT_TRUE(both_nan || float_bits(a.lfo_out) == float_bits(b.lfo_out))
                << variant << " " << i;
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(float_bits(out_a[i]), float_bits(out_b[i])) << variant << " " << i;
        // Each edge was reached: a -0 position kept, and the heel for NaN phases.
        if (!infinite_tempo) {
            EXPECT_TRUE(minus_zero_seen || positive_bias) << variant;
        } else {
            EXPECT_EQ(a.mod_position, 0.0f) << variant;
        }
    }
}

TEST(Render, VowelsOutsideTheirRangeMatchThePlainReference) {
    // Values no parameter range lets through give infinite or odd targets,
    // where the glide must hold lanes that equal their targets; the engine
    // falls back to the holding step. (Values that blow the filters up are
    // left out: there the engine's block-start recovery differs from the
    // reference's by design.)
    struct Case {
        ParameterIndex index;
        float value;
    };
    const Case kCases[] = {{kToeColor, 1e30f}, {kHeelSex, -300.0f}};
    for (const Case& c : kCases) {
        WahEngine a;
        prepare_default_engine(&a, 48000.0f);
        wah_engine_set_parameter(&a, kLfoOn, 1.0f);
        wah_engine_set_parameter(&a, kMidOn, 1.0f);
        wah_engine_set_parameter(&a, c.index, c.value);
        WahEngine b = a;
        const std::vector<float> in = test_noise(6000, 0.3f, 17u);
        std::vector<float> out_a(in.size()), out_b(in.size());
        for (size_t i = 0; i < in.size(); i += 200) {
            wah_engine_process(&a, in.data() + i, out_a.data() + i, 200);
            reference_process(&b, in.data() + i, out_b.data() + i, 200);
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(float_bits(out_a[i]), float_bits(out_b[i])) << c.index << " " << i;
    }
}

TEST(Render, MixAndBypassThatSettleAndMoveAgainMatchThePlainReference) {
    // The mix and bypass smoothers rest for whole blocks once a step leaves
    // them unchanged (short of their targets: with no snap, a one-pole stalls
    // where its step rounds away); here they move, stall, and move again, at
    // block sizes that put the moves at different chunk offsets.
    struct Segment {
        float mix, bypass;
    };
    // With the LFO on, and off (a still pedal, whose chunks are rendered
    // with their own modulators).
    const Segment kSegments[] = {{30.0f, 1.0f}, {100.0f, 0.0f}, {45.0f, 0.0f}, {100.0f, 0.0f}};
    struct Run {
        int32_t block;
        bool lfo;
    };
    for (const Run run : {Run{61, true}, Run{256, true}, Run{256, false}}) {
        const int32_t block = run.block;
        const bool lfo = run.lfo;
        WahEngine a;
        prepare_default_engine(&a, 48000.0f);
        wah_engine_set_parameter(&a, kLfoOn, lfo ? 1.0f : 0.0f);
        WahEngine b = a;
        const int32_t segment = 72000; // 1.5 s
        const std::vector<float> in =
            test_noise(4 * segment, 0.3f, 23u + static_cast<uint32_t>(block));
        std::vector<float> out_a(in.size()), out_b(in.size());
        for (int s = 0; s < 4; ++s) {
            for (WahEngine* e : {&a, &b}) {
                wah_engine_set_parameter(e, kMix, kSegments[s].mix);
                wah_engine_set_parameter(e, kBypass, kSegments[s].bypass);
            }
            for (int32_t i = s * segment; i < (s + 1) * segment; i += block) {
                const int32_t n = std::min(block, (s + 1) * segment - i);
                wah_engine_process(&a, in.data() + i, out_a.data() + i, n);
                reference_process(&b, in.data() + i, out_b.data() + i, n);
            }
            // The smoothers stalled (a bypass turning on decays for longer),
            // so the resting form ran.
            const float mix_step = one_pole_step(&a.mix_coeffs, a.mix_state, a.mix_target);
            const float bypass_step =
                one_pole_step(&a.bypass_coeffs, a.bypass_state, a.bypass_target);
            EXPECT_EQ(float_bits(mix_step), float_bits(a.mix_state)) << block << " " << s;
            if (s > 0) {
                EXPECT_EQ(float_bits(bypass_step), float_bits(a.bypass_state)) << block << " " << s;
            }
        }
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(float_bits(out_a[i]), float_bits(out_b[i])) << block << " " << i;
        EXPECT_EQ(float_bits(a.mix_state), float_bits(b.mix_state));
        EXPECT_EQ(float_bits(a.bypass_state), float_bits(b.bypass_state));
    }
}
