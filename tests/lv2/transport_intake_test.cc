// Time position objects in the event sequence becoming the transport record.
#include <gtest/gtest.h>
#include <lv2/time/time.h>
#include <string.h>

#include <vector>

#include "lv2/lv2_transport.h"
#include "tests/support/lv2host/lv2host.h"

namespace {

struct Intake : ::testing::Test {
    Intake() : seq(&urids) {
        lv2_time_urids_map(&time, &urids.map_feature);
        memset(&t, 0, sizeof t);
    }
    // Runs one block's intake over an exact-size copy of the sequence, so a
    // read past its end is caught by the sanitizers.
    void block() {
        const LV2_Atom_Sequence* s = seq.sequence();
        std::vector<uint8_t> exact(sizeof(LV2_Atom) + s->atom.size);
        memcpy(exact.data(), s, exact.size());
        lv2_transport_intake(&t, &time, (const LV2_Atom_Sequence*)exact.data());
        seq.clear();
    }
    void position(float speed) {
        seq.begin_position(0);
        seq.add_float(LV2_TIME__speed, speed);
        seq.end_event();
    }

    Lv2HostUrids urids;
    Lv2HostSequence seq;
    Lv2TimeUrids time;
    TransportInfo t;
};

TEST_F(Intake, StartingTheTransportChangesSpeedAndRolling) {
    position(0.0f);
    block();
    EXPECT_EQ(t.changed_mask, 0x3u); // first time valid
    EXPECT_FALSE(t.rolling);
    position(1.0f);
    block();
    EXPECT_EQ(t.changed_mask, 0x3u);
    EXPECT_TRUE(t.rolling);
    EXPECT_EQ(t.speed, 1.0f);
    position(2.0f);
    block();
    EXPECT_EQ(t.changed_mask, 0x2u);
    position(2.0f);
    block();
    EXPECT_EQ(t.changed_mask, 0u);
    EXPECT_EQ(t.valid_mask & 0x3u, 0x3u);
}

TEST_F(Intake, PositionFieldsLastOnlyForTheBlocksThatCarryThem) {
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 140.0f);
    seq.add_double(LV2_TIME__beat, 6.5);
    seq.add_long(LV2_TIME__bar, 1);
    seq.add_float(LV2_TIME__barBeat, 2.5f);
    seq.add_float(LV2_TIME__beatsPerBar, 4.0f);
    seq.add_int(LV2_TIME__beatUnit, 4);
    seq.end_event();
    block();
    EXPECT_EQ(t.changed_mask, 0x4u | 0x10 | 0x20 | 0x40 | 0x80 | 0x100);
    EXPECT_EQ(t.beat, 6.5);
    EXPECT_EQ(t.bar, 1u);
    EXPECT_EQ(t.beat_unit, 4u);

    // Tempo but no beat: the position fields become invalid, once.
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 150.0f);
    seq.end_event();
    block();
    EXPECT_EQ(t.changed_mask, 0x4u | 0x10 | 0x80 | 0x100);
    EXPECT_EQ(t.valid_mask & (0x10u | 0x80 | 0x100), 0u);
    EXPECT_EQ(t.valid_mask & (0x4u | 0x20 | 0x40), 0x4u | 0x20 | 0x40);
    block();
    EXPECT_EQ(t.changed_mask, 0u);
    EXPECT_EQ(t.tempo, 150.0f);
}

TEST_F(Intake, EmptyBlockAfterPositionsInvalidatesThemOnce) {
    seq.begin_position(0);
    seq.add_double(LV2_TIME__beat, 1.0);
    seq.end_event();
    block();
    block();
    EXPECT_EQ(t.changed_mask, 0x10u);
    block();
    EXPECT_EQ(t.changed_mask, 0u);
    lv2_transport_intake(&t, &time, nullptr); // unconnected port
    EXPECT_EQ(t.changed_mask, 0u);
}

TEST_F(Intake, ValuesAreReadByTheirActualTypeAndConverted) {
    seq.begin_position(0);
    seq.add_double(LV2_TIME__speed, 0.5);
    seq.add_int(LV2_TIME__beatsPerMinute, 96);
    seq.add_float(LV2_TIME__beat, 3.25f);
    seq.add_long(LV2_TIME__beatUnit, 8);
    seq.add_double(LV2_TIME__bar, 12.0);
    seq.add_int(LV2_TIME__barBeat, 2);
    seq.add_double(LV2_TIME__beatsPerBar, 6.0);
    seq.end_event();
    block();
    EXPECT_EQ(t.speed, 0.5f);
    EXPECT_EQ(t.tempo, 96.0f);
    EXPECT_EQ(t.beat, 3.25);
    EXPECT_EQ(t.beat_unit, 8u);
    EXPECT_EQ(t.bar, 12u);
    EXPECT_EQ(t.bar_beat, 2.0f);
    EXPECT_EQ(t.beats_per_bar, 6.0f);
}

TEST_F(Intake, UnfitValuesAreIgnored) {
    const uint8_t zeros[8] = {};
    seq.begin_position(0);
    // Too small for their types, of a non-number type, or not representable.
    seq.add_raw(LV2_TIME__speed, urids.map(LV2_ATOM__Float), 2, zeros);
    seq.add_raw(LV2_TIME__beat, urids.map(LV2_ATOM__Double), 4, zeros);
    seq.add_raw(LV2_TIME__beatsPerMinute, urids.map(LV2_ATOM__URID), 4, zeros);
    seq.add_double(LV2_TIME__bar, -3.0);
    seq.add_float(LV2_TIME__beatUnit, 1e20f);
    seq.end_event();
    block();
    EXPECT_EQ(t.changed_mask, 0u);
    EXPECT_EQ(t.valid_mask, 0u);
}

TEST_F(Intake, FirstPropertyOfAnObjectCountsAndLaterObjectsOverride) {
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 100.0f);
    seq.add_float(LV2_TIME__beatsPerMinute, 200.0f);
    seq.end_event();
    seq.begin_position(64, 0, true); // a Blank object is taken too
    seq.add_float(LV2_TIME__speed, 1.0f);
    seq.end_event();
    block();
    EXPECT_EQ(t.tempo, 100.0f);
    EXPECT_EQ(t.speed, 1.0f);

    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 110.0f);
    seq.end_event();
    seq.begin_position(10, urids.map("urn:other#Thing")); // not a position
    seq.add_float(LV2_TIME__beatsPerMinute, 50.0f);
    seq.end_event();
    seq.begin_position(20);
    seq.add_float(LV2_TIME__beatsPerMinute, 120.0f);
    seq.end_event();
    block();
    EXPECT_EQ(t.tempo, 120.0f);
}

TEST_F(Intake, NothingIsReadPastTheSequenceOrAnAtom) {
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 90.0f);
    seq.end_event();
    LV2_Atom_Sequence* s = seq.sequence();
    // The event claims a body larger than the sequence: it is not read.
    LV2_Atom_Event* ev = (LV2_Atom_Event*)(s + 1);
    ev->body.size = 4096;
    block();
    EXPECT_EQ(t.changed_mask, 0u);

    // A property whose value runs past its object is not read either.
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 90.0f);
    seq.end_event();
    uint8_t* body = (uint8_t*)((LV2_Atom_Event*)(seq.sequence() + 1) + 1);
    LV2_Atom_Property_Body* prop = (LV2_Atom_Property_Body*)(body + sizeof(LV2_Atom_Object_Body));
    prop->value.size = 1000;
    block();
    EXPECT_EQ(t.changed_mask, 0u);

    // A sequence cut inside an event header, and one with no events.
    seq.begin_position(0);
    seq.add_float(LV2_TIME__beatsPerMinute, 90.0f);
    seq.end_event();
    seq.sequence()->atom.size = sizeof(LV2_Atom_Sequence_Body) + 12;
    block();
    EXPECT_EQ(t.changed_mask, 0u);
    block();
    EXPECT_EQ(t.changed_mask, 0u);
}

} // namespace
