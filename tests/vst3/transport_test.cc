// The transport record the component rewrites from the host's process
// context before every block.
#include <gtest/gtest.h>

#include "vst3/component_transport.h"

namespace {

ProcessContext playing_context() {
    ProcessContext c = {};
    c.state =
        kContextPlaying | kContextTempoValid | kContextProjectTimeMusicValid | kContextTimeSigValid;
    c.tempo = 128.0;
    c.projectTimeMusic = 16.25;
    c.timeSigNumerator = 7;
    c.timeSigDenominator = 8;
    return c;
}

TEST(TransportUpdate, FirstContextMarksEveryProvidedFieldNew) {
    TransportInfo t = {};
    ProcessContext c = playing_context();
    transport_update(&t, &c);
    EXPECT_EQ(0x1u | 0x2 | 0x4 | 0x8 | 0x20 | 0x40, t.changed_mask);
    EXPECT_EQ(t.changed_mask, t.valid_mask);
    EXPECT_TRUE(t.rolling);
    EXPECT_EQ(1.0f, t.speed);
    EXPECT_EQ(128.0f, t.tempo);
    EXPECT_EQ(16.25, t.position_quarters);
    EXPECT_EQ(7.0f, t.beats_per_bar);
    EXPECT_EQ(8u, t.beat_unit);

    // Nothing moved: nothing changed.
    transport_update(&t, &c);
    EXPECT_EQ(0u, t.changed_mask);
    EXPECT_EQ(0x1u | 0x2 | 0x4 | 0x8 | 0x20 | 0x40, t.valid_mask);
}

TEST(TransportUpdate, ReportsEachFieldThatMoves) {
    TransportInfo t = {};
    ProcessContext c = playing_context();
    transport_update(&t, &c);

    c.state &= ~kContextPlaying;
    transport_update(&t, &c);
    EXPECT_EQ(0x1u | 0x2, t.changed_mask);
    EXPECT_FALSE(t.rolling);
    EXPECT_EQ(0.0f, t.speed);

    c.tempo = 128.00000001;             // the same in single precision
    c.projectTimeMusic = 16.2500000001; // compared in double precision
    transport_update(&t, &c);
    EXPECT_EQ(0x8u, t.changed_mask);

    c.timeSigDenominator = 4;
    transport_update(&t, &c);
    EXPECT_EQ(0x40u, t.changed_mask);
    c.timeSigNumerator = 3;
    transport_update(&t, &c);
    EXPECT_EQ(0x20u, t.changed_mask);
    EXPECT_EQ(3.0f, t.beats_per_bar);

    // A field the host stops providing turns invalid, once.
    c.state &= ~kContextTempoValid;
    transport_update(&t, &c);
    EXPECT_EQ(0x4u, t.changed_mask);
    EXPECT_EQ(0u, t.valid_mask & 0x4);
    transport_update(&t, &c);
    EXPECT_EQ(0u, t.changed_mask);
    c.state &= ~kContextTimeSigValid;
    transport_update(&t, &c);
    EXPECT_EQ(0x20u | 0x40, t.changed_mask);
    EXPECT_EQ(0u, t.valid_mask & 0x60);
}

TEST(TransportUpdate, NoContextWithdrawsWhatWasValid) {
    TransportInfo t = {};
    ProcessContext c = playing_context();
    transport_update(&t, &c);
    transport_update(&t, nullptr);
    EXPECT_EQ(0x1u | 0x2 | 0x4 | 0x8 | 0x20 | 0x40, t.changed_mask);
    EXPECT_EQ(0u, t.valid_mask);
    transport_update(&t, nullptr);
    EXPECT_EQ(0u, t.changed_mask);

    // Rolling is always known when a context is present, even a bare one.
    ProcessContext bare = {};
    transport_update(&t, &bare);
    EXPECT_EQ(0x1u | 0x2, t.changed_mask);
    EXPECT_EQ(0x1u | 0x2, t.valid_mask);
}

} // namespace
