// The synced LFO at the very start of the song: playing from position 0,
// and jumping back to it (a loop to bar 1), re-phases the LFO like any other
// song position. Driven only through the engine's public interface, with the
// transport described by each of the host's position sources.
#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace {

constexpr float kRate = 48000.0f;
constexpr float kTempo = 120.0f;
constexpr int32_t kBlock = 256;

// How a host tells the song position (each complete source gives it).
enum class Source { kQuarters, kBeats, kBars };

// The transport record a host sends for a block starting at `quarters`, in
// 4/4 time, its rolling flag and every provided field marked changed.
TransportInfo transport_at(Source source, bool rolling, double quarters) {
    TransportInfo ti{};
    ti.valid_mask = kTransportRolling | kTransportTempo;
    ti.rolling = rolling;
    ti.tempo = kTempo;
    switch (source) {
    case Source::kQuarters:
        ti.valid_mask |= kTransportPositionQuarters;
        ti.position_quarters = quarters;
        break;
    case Source::kBeats:
        ti.valid_mask |= kTransportBeat | kTransportBeatUnit;
        ti.beat = quarters;
        ti.beat_unit = 4;
        break;
    case Source::kBars:
        ti.valid_mask |=
            kTransportBar | kTransportBarBeat | kTransportBeatsPerBar | kTransportBeatUnit;
        ti.bar = static_cast<uint64_t>(quarters / 4.0);
        ti.bar_beat = static_cast<float>(quarters - 4.0 * static_cast<double>(ti.bar));
        ti.beats_per_bar = 4.0f;
        ti.beat_unit = 4;
        break;
    }
    ti.changed_mask = ti.valid_mask;
    return ti;
}

// A synced sine LFO at full amount moving the pedal: one cycle per quarter
// note, so every whole quarter is the cycle's start.
void prepare_synced_lfo(WahEngine* e) {
    prepare_default_engine(e, kRate);
    wah_engine_set_parameter(e, kLfoOn, 1.0f);
    wah_engine_set_parameter(e, kLfoAmount, 100.0f);
    wah_engine_set_parameter(e, kLfoSync, 1.0f);
    wah_engine_set_parameter(e, kLfoSyncRate, 8.0f);
}

// What the LFO showed after each block: its phase, its contribution and the
// pedal it moved.
struct LfoTrace {
    std::vector<uint32_t> phase, out, position;
    bool operator==(const LfoTrace& o) const {
        return phase == o.phase && out == o.out && position == o.position;
    }
};

// Blocks with the transport rolling from `quarters` on, the host sending
// each block's position as it plays.
LfoTrace roll_from(WahEngine* e, Source source, double quarters, int blocks) {
    const double quarters_per_block = kBlock * (kTempo / 60.0) / kRate;
    const std::vector<float> in = test_noise(kBlock, 0.25f);
    LfoTrace trace;
    for (int b = 0; b < blocks; ++b) {
        const TransportInfo ti = transport_at(source, true, quarters + b * quarters_per_block);
        wah_engine_apply_transport(e, &ti);
        process_block(e, in);
        trace.phase.push_back(float_bits(e->lfo_phase));
        trace.out.push_back(float_bits(e->lfo_out));
        trace.position.push_back(float_bits(e->mod_position));
    }
    return trace;
}

// Blocks with the transport stopped: the synced LFO runs free at the tempo.
void run_stopped(WahEngine* e, Source source, int blocks) {
    const TransportInfo ti = transport_at(source, false, 0.0);
    wah_engine_apply_transport(e, &ti);
    const std::vector<float> in = test_noise(kBlock, 0.25f);
    for (int b = 0; b < blocks; ++b)
        process_block(e, in);
}

const Source kSources[] = {Source::kQuarters, Source::kBeats, Source::kBars};

} // namespace

// Stopped, the LFO wanders off the bar lines; pressing play at the song's
// start puts it back on them, as a fresh engine playing from the start has it.
TEST(SongStartResync, PlayFromTheStartAfterRunningFree) {
    for (Source source : kSources) {
        SCOPED_TRACE(static_cast<int>(source));
        WahEngine fresh, wandered;
        prepare_synced_lfo(&fresh);
        prepare_synced_lfo(&wandered);
        run_stopped(&wandered, source, 7);
        ASSERT_NE(wandered.lfo_phase, 0.0f) << "the stopped LFO must have moved";
        const LfoTrace expected = roll_from(&fresh, source, 0.0, 4);
        EXPECT_TRUE(roll_from(&wandered, source, 0.0, 4) == expected);
    }
}

// A loop back to the start, from a point in the song that is not on a cycle
// boundary, re-phases exactly as the first pass through the start did; its
// first block also matches a jump to a later whole quarter note (phase 0).
TEST(SongStartResync, JumpBackToTheStartFromLaterInTheSong) {
    for (Source source : kSources) {
        SCOPED_TRACE(static_cast<int>(source));
        WahEngine e;
        prepare_synced_lfo(&e);
        const LfoTrace first_pass = roll_from(&e, source, 0.0, 4);
        roll_from(&e, source, 5.3, 3);
        ASSERT_NE(e.lfo_phase_acc, 0.0f);
        EXPECT_TRUE(roll_from(&e, source, 0.0, 4) == first_pass);
        roll_from(&e, source, 9.7, 2);
        const LfoTrace bar_three = roll_from(&e, source, 8.0, 1);
        EXPECT_EQ(first_pass.phase[0], bar_three.phase[0]);
        EXPECT_EQ(first_pass.out[0], bar_three.out[0]);
    }
}

// The same jump with only the position reported as changed (a host that
// keeps rolling and sends what moved): still a resync.
TEST(SongStartResync, PositionAloneChangingToTheStart) {
    WahEngine e;
    prepare_synced_lfo(&e);
    const LfoTrace first_pass = roll_from(&e, Source::kQuarters, 0.0, 1);
    roll_from(&e, Source::kQuarters, 2.6, 2);
    TransportInfo ti = transport_at(Source::kQuarters, true, 0.0);
    ti.changed_mask = kTransportPositionQuarters;
    wah_engine_apply_transport(&e, &ti);
    process_block(&e, test_noise(kBlock, 0.25f));
    EXPECT_EQ(first_pass.phase[0], float_bits(e.lfo_phase));
    EXPECT_EQ(first_pass.out[0], float_bits(e.lfo_out));
}
