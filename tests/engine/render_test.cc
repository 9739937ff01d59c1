// A long scenario through every part of the engine, hashed bit by bit. The
// same test runs in the gcc, clang (sanitized) and MinGW (under Wine)
// builds against one committed hash, proving they give identical bits; the
// plain reference form must agree sample for sample.
#include <gtest/gtest.h>
#include <math.h>

#include <algorithm>

#include "engine/fast_math.h"
#include "engine/one_pole.h"
#include "engine/wide_forms.h"
#include "engine_test_util.h"
#include "platform/fp_env.h"
#include "reference_engine.h"

namespace {

typedef void (*ProcessFn)(WahEngine*, const float*, float*, int32_t);

struct Fnv1a {
    uint64_t h = 0xcbf29ce484222325ull;
    void add(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h ^= (v >> (8 * i)) & 0xFFu;
            h *= 0x100000001b3ull;
        }
    }
};

const int32_t kBlockSizes[] = {1, 32, 256, 4096, 7, 333, 1000, 61};

// The host's side of the scenario: parameter moves and transport before
// block number b.
void drive(WahEngine* e, TransportInfo* ti, int b, double* song_quarters, int32_t n, float fs) {
    static const float kWaveforms[] = {1.0f, 1.5f, 2.0f, 2.5f, 2.9995f, 3.0f, 3.5f, 4.0f};
    ti->changed_mask = 0;
    if (b % 5 == 0) {
        wah_engine_set_parameter(e, kLfoWaveform, kWaveforms[(b / 5) % 8]);
        wah_engine_set_parameter(e, kLfoSkew, static_cast<float>((b * 37) % 201 - 100));
    }
    if (b % 7 == 0)
        wah_engine_set_parameter(e, kPosition, static_cast<float>((b * 53) % 101));
    if (b % 11 == 0)
        wah_engine_set_parameter(e, kMix, static_cast<float>((b * 29) % 101));
    if (b % 13 == 0)
        wah_engine_set_parameter(e, kMidOn, static_cast<float>(b / 13 % 2));
    if (b % 17 == 0)
        wah_engine_set_parameter(e, kLfoSync, static_cast<float>(b / 17 % 2));
    if (b % 19 == 0)
        wah_engine_set_parameter(e, kLfoSyncRate, static_cast<float>(1 + b % 24));
    if (b % 23 == 0)
        wah_engine_set_parameter(e, kLfoSyncPhase, static_cast<float>((b * 41) % 361));
    if (b % 29 == 0)
        wah_engine_set_parameter(e, kBypass, static_cast<float>(b / 29 % 2));
    if (b % 31 == 0)
        wah_engine_set_parameter(e, kEnvAmount, static_cast<float>((b * 7) % 201 - 100));
    static const float kFreeRates[] = {0.2f, 0.5f, 1.0f, 2.0f, 3.7f, 7.0f, 11.0f, 20.0f};
    if (b % 9 == 0)
        wah_engine_set_parameter(e, kLfoFreeRate, kFreeRates[(b / 9) % 8]);
    if (b % 43 == 0) {
        wah_engine_set_parameter(e, kEnvAttack, static_cast<float>(1 + (b * 97) % 1000));
        wah_engine_set_parameter(e, kEnvRelease, static_cast<float>(1 + (b * 61) % 1000));
    }
    if (b % 37 == 0)
        wah_engine_set_parameter(e, kToeSex, static_cast<float>((b * 11) % 101));
    // Transport: rolling most of the time, with tempo changes and a loop jump.
    const bool rolling = (b / 40) % 4 != 3;
    ti->valid_mask = kTransportRolling | kTransportSpeed | kTransportTempo;
    if (b % 3 != 2)
        ti->valid_mask |= kTransportPositionQuarters;
    else
        ti->valid_mask |=
            kTransportBar | kTransportBarBeat | kTransportBeatsPerBar | kTransportBeatUnit;
    if (ti->rolling != rolling)
        ti->changed_mask |= kTransportRolling;
    ti->rolling = rolling;
    ti->speed = rolling ? 1.0f : 0.0f;
    const float tempo = 90.0f + static_cast<float>((b / 50) % 4) * 25.0f;
    if (tempo != ti->tempo)
        ti->changed_mask |= kTransportTempo;
    ti->tempo = tempo;
    if (b % 97 == 96)
        *song_quarters = 4.0; // loop back
    ti->position_quarters = *song_quarters;
    ti->beats_per_bar = 3.0f;
    ti->beat_unit = 4;
    ti->bar = static_cast<uint64_t>(*song_quarters / 3.0);
    ti->bar_beat = static_cast<float>(*song_quarters - 3.0 * static_cast<double>(ti->bar));
    if (rolling) {
        ti->changed_mask |= kTransportPositionQuarters;
        *song_quarters += static_cast<double>(n) / fs * (tempo / 60.0);
    }
    if (ti->changed_mask)
        wah_engine_apply_transport(e, ti);
}

// Rendered as the plug-in frames run the engine: flush-to-zero and
// denormals-are-zero on.
uint64_t render_scenario(ProcessFn process, std::vector<float>* keep) {
    FpDenormalGuard guard{};
    fp_denormal_guard_enter(&guard);
    Fnv1a hash;
    const float rates[] = {44100.0f, 48000.0f, 96000.0f};
    for (float fs : rates) {
        WahEngine e;
        prepare_default_engine(&e, fs);
        wah_engine_set_parameter(&e, kLfoOn, 1.0f);
        wah_engine_set_parameter(&e, kEnvOn, 1.0f);
        TransportInfo ti{};
        wah_engine_apply_transport(&e, &ti); // first block after a reset
        double song = 0.0;
        const std::vector<float> noise = test_noise(4096, 0.4f, static_cast<uint32_t>(fs));
        std::vector<float> in(4096), out(4096);
        int32_t sample = 0;
        for (int b = 0; b < 260; ++b) {
            const int32_t n = kBlockSizes[b % 8];
            drive(&e, &ti, b, &song, n, fs);
            for (int32_t i = 0; i < n; ++i) {
                const int32_t t = sample + i;
                // Bursts of noise and a tone with silent gaps feed the envelope.
                const float gate = (t / 3000) % 3 == 2 ? 0.0f : 1.0f;
                // No library sine: the input must be the same bits in every build.
                const float tone =
                    fast_sin2pi(fast_frac(static_cast<float>(t % 100000) * 0.00731f));
                in[i] = gate * (noise[(t * 7) % 4096] + 0.3f * tone);
            }
            process(&e, in.data(), out.data(), n);
            sample += n;
            for (int32_t i = 0; i < n; ++i)
                hash.add(float_bits(out[i]));
            hash.add(float_bits(e.mod_position));
            hash.add(float_bits(e.lfo_phase));
            hash.add(float_bits(e.lfo_out));
            hash.add(float_bits(e.env_out));
            if (keep)
                keep->insert(keep->end(), out.begin(), out.begin() + n);
        }
        if (fs == 96000.0f) {
            // A reset mid-stream, then more sound.
            wah_engine_reset(&e);
            for (int32_t i = 0; i < 4096; ++i)
                in[i] = noise[i];
            process(&e, in.data(), out.data(), 4096);
            for (int32_t i = 0; i < 4096; ++i)
                hash.add(float_bits(out[i]));
            if (keep)
                keep->insert(keep->end(), out.begin(), out.end());
            // A long silence: the decaying memories reach the denormal range.
            for (int32_t i = 0; i < 4096; ++i)
                in[i] = 0.0f;
            for (int k = 0; k < 12; ++k) {
                process(&e, in.data(), out.data(), 4096);
                for (int32_t i = 0; i < 4096; ++i)
                    hash.add(float_bits(out[i]));
                for (uint32_t f = 0; f < kFormantCount; ++f)
                    hash.add(float_bits(e.svf_state[f].bp_z1));
            }
        }
    }
    fp_denormal_guard_leave(&guard);
    return hash.h;
}

// The hash of the scenario's output bits and output values, as the engine
// renders it in every build.
constexpr uint64_t kScenarioHash = 0x46c2c06079077d91ull;

} // namespace

TEST(Render, ScenarioHashIsTheSameInEveryBuild) {
    std::vector<float> out;
    const uint64_t h = render_scenario(wah_engine_process, &out);
    EXPECT_EQ(h, kScenarioHash) << std::hex << "0x" << h;
    // The scenario is not trivially quiet or broken.
    double energy = 0.0;
    for (float y : out) {
        ASSERT_TRUE(isfinite(y));
        energy += static_cast<double>(y) * y;
    }
    EXPECT_GT(energy / static_cast<double>(out.size()), 1e-3);
}

TEST(Render, EveryFormOfTheBlockPassesGivesTheScenarioHash) {
    // Every kernel with every coefficient pass and every targets pass.
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    EXPECT_GE(count, 1);
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < count; ++i) {
            for (int t = 0; t < count; ++t) {
                const WideForms mixed = {sets[k].kernel, sets[i].coefficients, sets[t].targets};
                wide_forms_force(&mixed);
                const uint64_t h = render_scenario(wah_engine_process, nullptr);
                wide_forms_force(nullptr);
                EXPECT_EQ(h, kScenarioHash) << std::hex << "0x" << h << " kernel " << k
                                            << " coefficients " << i << " targets " << t;
            }
        }
    }
}

TEST(Render, EngineMatchesThePlainReferenceBitForBit) {
    std::vector<float> engine, reference;
    const uint64_t a = render_scenario(wah_engine_process, &engine);
    const uint64_t b = render_scenario(reference_process, &reference);
    ASSERT_EQ(engine.size(), reference.size());
    for (size_t i = 0; i < engine.size(); ++i)
        ASSERT_EQ(float_bits(engine[i]), float_bits(reference[i])) << "sample " << i;
    EXPECT_EQ(a, b);
}

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
