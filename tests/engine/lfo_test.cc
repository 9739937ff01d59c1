#include <gtest/gtest.h>
#include <math.h>

#include "engine/lfo.h"
#include "engine_test_util.h"
#include "scalar_kernels.h"

namespace {

TransportInfo rolling_at(double quarters) {
    TransportInfo ti{};
    ti.changed_mask = kTransportRolling | kTransportPositionQuarters;
    ti.valid_mask = kTransportRolling | kTransportPositionQuarters | kTransportTempo;
    ti.rolling = true;
    ti.tempo = 120.0f;
    ti.position_quarters = quarters;
    return ti;
}

void start_block(WahEngine* e) {
    float x = 0.0f;
    wah_engine_process(e, &x, &x, 0);
}

// One engine with the LFO on at amount 100 and bias 0: lfo_out is the raw
// waveform value times 0.5.
void prepare_lfo(WahEngine* e, float waveform, float skew) {
    prepare_default_engine(e, 48000.0f);
    wah_engine_set_parameter(e, kLfoOn, 1.0f);
    wah_engine_set_parameter(e, kLfoWaveform, waveform);
    wah_engine_set_parameter(e, kLfoSkew, skew);
}

float wave_at(float wf, float u, float skew, float random_value) {
    return lfo_wave(wf, lfo_skewed_phase(u, skew), random_value);
}

} // namespace

TEST(LfoTransport, SongPositionSources) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    TransportInfo ti{};
    ti.valid_mask = kTransportRolling | kTransportBeatsPerBar | kTransportBeatUnit | kTransportBar |
                    kTransportBarBeat;
    ti.rolling = true;
    ti.bar = 2;
    ti.bar_beat = 1.5f;
    ti.beats_per_bar = 3.0f;
    ti.beat_unit = 4;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.resync_position, 7.5);
    ti.beats_per_bar = 6.0f;
    ti.beat_unit = 8;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.resync_position, 6.75);
    ti.valid_mask |= kTransportBeat;
    ti.beat = 10.0;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.resync_position, 5.0); // beats in eighths
    ti.valid_mask |= kTransportPositionQuarters;
    ti.position_quarters = 3.25;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.resync_position, 3.25);
    // A valid beat unit of 0 has no position: nothing pending changes.
    ti.valid_mask &= ~kTransportPositionQuarters;
    ti.beat_unit = 0;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.resync_position, 3.25);
    // Stopped: no position is taken.
    ti.rolling = false;
    ti.beat_unit = 4;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.resync_position, 3.25);
}

TEST(LfoTransport, SpeedRollingAndRate) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kLfoSync, 1.0f);
    TransportInfo ti{};
    ti.valid_mask = kTransportSpeed | kTransportTempo;
    ti.speed = 0.0f;
    ti.tempo = 90.0f;
    e.rolling = true;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_FALSE(e.rolling); // speed 0 without a rolling flag: stopped
    EXPECT_EQ(e.speed_factor, 1.0f);
    EXPECT_NEAR(e.lfo_freq, 1.5f, 1e-6f);
    ti.valid_mask |= kTransportRolling;
    ti.rolling = true;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.speed_factor, 0.0f); // rolling at speed 0: the synced LFO halts
    EXPECT_EQ(e.lfo_freq, 0.0f);
    ti.speed = -2.0f;
    wah_engine_apply_transport(&e, &ti);
    EXPECT_NEAR(e.lfo_freq, -3.0f, 1e-6f);
    wah_engine_set_parameter(&e, kLfoSync, 0.0f);
    wah_engine_apply_transport(&e, &ti);
    EXPECT_EQ(e.lfo_freq, 2.0f);
}

TEST(LfoTransport, ResyncSetsThePhaseFromTheSongPosition) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kLfoSync, 1.0f);
    wah_engine_set_parameter(&e, kLfoSyncRate, 14.0f); // 4 cycles per quarter
    TransportInfo ti = rolling_at(10.25);
    wah_engine_apply_transport(&e, &ti);
    e.lfo_phase_acc = 0.6f;
    start_block(&e);
    EXPECT_EQ(e.lfo_phase_acc, 0.0f);
    EXPECT_EQ(e.resync_position, -1.0);
    wah_engine_set_parameter(&e, kLfoSyncRate, 8.0f);
    wah_engine_apply_transport(&e, &ti);
    start_block(&e);
    EXPECT_EQ(e.lfo_phase_acc, 0.25f);
    // A resync happens once: the next block runs on.
    e.lfo_phase_acc = 0.5f;
    start_block(&e);
    EXPECT_EQ(e.lfo_phase_acc, 0.5f);
    // Sync off: the transport never touches the phase.
    wah_engine_set_parameter(&e, kLfoSync, 0.0f);
    wah_engine_apply_transport(&e, &ti);
    start_block(&e);
    EXPECT_EQ(e.lfo_phase_acc, 0.5f);
    EXPECT_EQ(e.resync_position, -1.0);
    // An infinite position is not a position.
    wah_engine_set_parameter(&e, kLfoSync, 1.0f);
    ti.position_quarters = INFINITY;
    wah_engine_apply_transport(&e, &ti);
    start_block(&e);
    EXPECT_EQ(e.lfo_phase_acc, 0.5f);
}

TEST(LfoTransport, SyncPhaseOffsetsTheReportedPhase) {
    WahEngine a, b;
    prepare_lfo(&a, 1.0f, 0.0f);
    prepare_lfo(&b, 1.0f, 0.0f);
    wah_engine_set_parameter(&a, kLfoSyncPhase, 180.0f);
    wah_engine_set_parameter(&b, kLfoSyncPhase, 180.0f);
    wah_engine_set_parameter(&b, kLfoSync, 1.0f);
    std::vector<float> in(100, 0.0f);
    process_block(&a, in);
    process_block(&b, in);
    EXPECT_EQ(a.lfo_phase_acc, b.lfo_phase_acc);
    EXPECT_EQ(a.lfo_phase, a.lfo_phase_acc);
    EXPECT_EQ(b.lfo_phase, fast_frac(b.lfo_phase_acc + 0.5f));
}

TEST(LfoWaveforms, MorphPointsAndSkew) {
    // Sine: -1 at the cycle start, +1 at the middle.
    EXPECT_EQ(lfo_wave(1.0f, 0.0f, 0.0f), -1.0f);
    EXPECT_EQ(lfo_wave(1.0f, 0.5f, 0.0f), 1.0f);
    EXPECT_NEAR(wave_at(1.0f, 0.5f, 0.5f, 0.0f), 1.0f, 1e-4f); // skew 0.5 is nearly neutral
    // Triangle: g is just below 4, so the peak lands within 3e-5 of 1.
    EXPECT_NEAR(lfo_wave(2.0f, 0.5f, 0.0f), 1.0f, 3e-5f);
    EXPECT_NEAR(lfo_wave(2.0f, 0.25f, 0.0f), 0.0f, 3e-5f);
    EXPECT_EQ(lfo_wave(2.0f, 0.0f, 0.0f), -1.0f);
    // 1.5 is the average of sine and triangle at each phase.
    for (float u = 0.0f; u < 1.0f; u += 0.0625f) {
        const float b = lfo_skewed_phase(u, 0.5f);
        const float tri = fabsf(b - 0.5f) * -4.0f + 1.0f;
        const float sine = fast_sin2pi(tri * 0.25f);
        EXPECT_EQ(wave_at(1.5f, u, 0.5f, 0.0f), (tri - sine) * 0.5f + sine);
        EXPECT_NEAR(wave_at(1.5f, u, 0.5f, 0.0f), 0.5f * (tri + sine), 1e-6f);
    }
    // Trapezoid stays inside [-1, 1]; square and random morph.
    for (float u = 0.0f; u < 1.0f; u += 0.01f) {
        const float v = wave_at(2.9f, u, 0.5f, 0.0f);
        EXPECT_LE(fabsf(v), 1.0f);
    }
    EXPECT_EQ(wave_at(3.0f, 0.25f, 0.5f, 0.3f), 1.0f);
    EXPECT_EQ(wave_at(3.0f, 0.75f, 0.5f, 0.3f), -1.0f);
    EXPECT_EQ(wave_at(2.999f, 0.75f, 0.5f, 0.3f), -1.0f);
    EXPECT_EQ(lfo_wave(3.0f, 0.5f, 0.3f), 0.0f); // exactly on the edge
    EXPECT_EQ(wave_at(4.0f, 0.25f, 0.5f, 0.3f), 0.3f);
    EXPECT_EQ(wave_at(3.5f, 0.75f, 0.5f, 0.3f), (0.3f + 1.0f) * 0.5f - 1.0f);
    // Skew 0.001: the rising half of the cycle is over after 1/1000 of it.
    const float k = 0x1.0624dep-10f;
    EXPECT_NEAR(lfo_skewed_phase(k, k), 0.5f, 1e-4f);
    EXPECT_NEAR(wave_at(1.0f, k, k, 0.0f), 1.0f, 1e-3f);
    EXPECT_LT(wave_at(1.0f, 0.5f, k, 0.0f), 0.05f);
}

TEST(LfoWaveforms, ContributionGatingAndBias) {
    WahEngine e;
    prepare_lfo(&e, 3.0f, 0.0f);
    wah_engine_set_parameter(&e, kLfoBias, 100.0f);
    std::vector<float> in(4800, 0.0f);
    float lo = 2.0f, hi = -2.0f;
    for (int b = 0; b < 10; ++b) {
        for (size_t i = 0; i < in.size(); ++i) {
            float x = 0.0f;
            wah_engine_process(&e, &x, &x, 1);
            lo = fminf(lo, e.lfo_out);
            hi = fmaxf(hi, e.lfo_out);
        }
    }
    EXPECT_EQ(lo, 0.0f); // bias +100 moves the swing to 0..1
    EXPECT_EQ(hi, 1.0f);
    wah_engine_set_parameter(&e, kLfoOn, 0.0f);
    const float phase = e.lfo_phase;
    process_block(&e, in);
    EXPECT_EQ(e.lfo_out, 0.0f);
    EXPECT_NE(e.lfo_phase, phase); // switched off, still running
}

TEST(LfoRandom, LevelRefreshesExactlyAtPhaseWraps) {
    WahEngine e;
    prepare_lfo(&e, 4.0f, 0.0f);
    int wraps = 0;
    float last_phase = 0.0f;
    float last_level = e.random_value;
    uint64_t rng = e.rng_state;
    for (int i = 0; i < 60000; ++i) {
        float x = 0.0f;
        wah_engine_process(&e, &x, &x, 1);
        const bool wrapped = e.lfo_phase < last_phase;
        if (wrapped) {
            ++wraps;
            WahEngine probe{};
            probe.rng_state = rng;
            EXPECT_EQ(e.random_value, rng_next(&probe)) << i;
            rng = probe.rng_state;
        } else {
            EXPECT_EQ(e.random_value, last_level) << i;
        }
        EXPECT_EQ(e.rng_state, rng);
        const float level = wave_at(4.0f, e.lfo_phase, e.lfo_skew, e.random_value);
        EXPECT_NEAR(level, e.random_value, 1e-7f);
        EXPECT_EQ(e.lfo_out, (level + e.lfo_bias) * (1.0f * e.lfo_gain));
        last_phase = e.lfo_phase;
        last_level = e.random_value;
    }
    EXPECT_EQ(wraps, 2); // 2 Hz for 1.25 s
}

TEST(LfoRandom, GeneratorSequenceIsPinned) {
    WahEngine e{};
    e.rng_state = kRngSeed;
    // The first draws from the seed, worked out independently.
    EXPECT_EQ(float_bits(rng_next(&e)), 0xBE988E36u);
    EXPECT_EQ(e.rng_state, 0x656771CA2F6A2AA6ull);
    EXPECT_EQ(float_bits(rng_next(&e)), 0xBF3436A0u);
    EXPECT_EQ(float_bits(rng_next(&e)), 0xBEF9CBD4u);
    EXPECT_EQ(e.rng_state, 0xCCA0C685882E797Cull);
    double sum = 0.0;
    for (int i = 0; i < 10000; ++i) {
        const float v = rng_next(&e);
        ASSERT_GE(v, -1.0f);
        ASSERT_LE(v, 1.0f);
        sum += v;
    }
    EXPECT_LT(fabs(sum / 10000.0), 0.05);
    // A fresh engine's reset draws the first of them.
    WahEngine fresh;
    prepare_default_engine(&fresh, 48000.0f);
    EXPECT_EQ(float_bits(fresh.random_value), 0xBE988E36u);
}

TEST(Envelope, AttackFastReleaseSlow) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kEnvOn, 1.0f);
    wah_engine_set_parameter(&e, kEnvAttack, 1.0f);
    wah_engine_set_parameter(&e, kEnvRelease, 1000.0f);
    std::vector<float> loud(240, 0.5f); // 5 ms
    process_block(&e, loud);
    EXPECT_GT(e.env_level, 0.49f);
    EXPECT_EQ(e.env_out, e.env_level * 50.0f);
    // One nominal time constant of release; the reciprocal's error makes the
    // long release a little quicker than exactly 1/e.
    std::vector<float> quiet(48000, 0.0f);
    process_block(&e, quiet);
    EXPECT_GT(e.env_level, 0.5f * 0.25f);
    EXPECT_LT(e.env_level, 0.5f / 2.71828f);
    wah_engine_set_parameter(&e, kEnvOn, 0.0f);
    process_block(&e, loud);
    EXPECT_EQ(e.env_out, 0.0f);
    EXPECT_GT(e.env_level, 0.49f); // switched off, still following
}
