// Control-port and stored-value conversions, and the names the description
// files give the stepped controls.
#include <gtest/gtest.h>
#include <math.h>

#include "engine/parameter_table.h"
#include "lv2/lv2_ports.h"

TEST(Lv2PortConversion, EnablePortIsInvertedIntoBypass) {
    EXPECT_EQ(lv2_port_to_plain(kBypass, 1.0f), 0.0f);
    EXPECT_EQ(lv2_port_to_plain(kBypass, 0.5f), 0.0f);
    EXPECT_EQ(lv2_port_to_plain(kBypass, 0.0f), 1.0f);
    EXPECT_EQ(lv2_port_to_plain(kBypass, -1.0f), 1.0f);
    EXPECT_EQ(lv2_port_of_parameter(kBypass), 34u);
}

TEST(Lv2PortConversion, SwitchesTurnOnAboveZero) {
    for (uint32_t i : {kMidOn, kLfoOn, kLfoSync, kEnvOn}) {
        EXPECT_EQ(lv2_port_to_plain(i, 0.3f), 1.0f) << i;
        EXPECT_EQ(lv2_port_to_plain(i, 0.0f), 0.0f) << i;
        EXPECT_EQ(lv2_port_to_plain(i, -2.0f), 0.0f) << i;
        EXPECT_EQ(lv2_port_to_plain(i, 7.0f), 1.0f) << i;
    }
}

TEST(Lv2PortConversion, SyncRateRoundsHalfAwayAndStaysInTheRatioTable) {
    EXPECT_EQ(lv2_port_to_plain(kLfoSyncRate, 7.5f), 8.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoSyncRate, 7.49f), 7.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoSyncRate, 30.0f), 24.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoSyncRate, 0.0f), 1.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoSyncRate, -0.5f), 1.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoSyncRate, 1e30f), 24.0f);
}

TEST(Lv2PortConversion, ContinuousValuesAreOnlyClamped) {
    EXPECT_EQ(lv2_port_to_plain(kPosition, 150.0f), 100.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoBias, -150.0f), -100.0f);
    EXPECT_EQ(lv2_port_to_plain(kLfoWaveform, 2.5f), 2.5f);
    EXPECT_EQ(lv2_port_to_plain(kLfoFreeRate, 0.0f), 0.2f);
    EXPECT_EQ(lv2_port_to_plain(kEnvAttack, 12.25f), 12.25f);
    EXPECT_TRUE(isnan(lv2_port_to_plain(kMix, NAN)));
    EXPECT_TRUE(isnan(lv2_port_to_plain(kLfoSyncRate, NAN)));
}

TEST(Lv2StateConversion, StoredValuesKeepTheirOwnSense) {
    EXPECT_EQ(lv2_state_to_plain(kBypass, 1.0f), 1.0f);
    EXPECT_EQ(lv2_state_to_plain(kBypass, 0.0f), 0.0f);
    EXPECT_EQ(lv2_state_to_plain(kMidOn, 0.3f), 1.0f);
    EXPECT_EQ(lv2_state_to_plain(kLfoSyncRate, 7.5f), 8.0f);
    EXPECT_EQ(lv2_state_to_plain(kLfoSyncRate, 0.0f), 1.0f);
    EXPECT_EQ(lv2_state_to_plain(kPosition, 250.0f), 100.0f);
    EXPECT_EQ(lv2_state_to_plain(kLfoSkew, -33.5f), -33.5f);
}

TEST(Lv2PortRecords, FollowTheParameterTableInSinglePrecision) {
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        Lv2ParameterRecord r = lv2_parameter_record(i);
        EXPECT_EQ(r.index, i);
        EXPECT_EQ(r.minimum, (float)kInputParameterRecords[i].minimum) << i;
        EXPECT_EQ(r.maximum, (float)kInputParameterRecords[i].maximum) << i;
        EXPECT_EQ(r.default_value, (float)kInputParameterRecords[i].default_value) << i;
        EXPECT_EQ(r.flags & kParamLogarithmic, 0u) << i;
        // Every default is a value the conversions leave as it is (for the
        // enable port, its inverse).
        float port_default = i == kBypass ? 1.0f : r.default_value;
        EXPECT_EQ(lv2_port_to_plain(i, port_default), r.default_value) << i;
    }
}
