// The names hosts and the page show for the stepped controls.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/parameter_names.h"
#include "engine/parameter_table.h"

TEST(SyncRateNames, NameTheNoteValueOfTheEngineRatio) {
    for (uint32_t k = 1; k <= kSyncRateCount; ++k) {
        ASSERT_NE(sync_rate_name(k), nullptr);
        EXPECT_NEAR(sync_rate_cycles_per_quarter(k), kSyncRatios[k - 1], 1e-6) << sync_rate_name(k);
        // The spelling carries the length: "." dotted, "T" triplet.
        const char* name = sync_rate_name(k);
        char last = name[strlen(name) - 1];
        char want = (k - 1) % 3 == 0 ? '.' : (k - 1) % 3 == 2 ? 'T' : last;
        EXPECT_EQ(last, want) << name;
    }
    EXPECT_STREQ(sync_rate_name(8), "1/4");
    EXPECT_STREQ(sync_rate_name(7), "1/4.");
    EXPECT_STREQ(sync_rate_name(24), "1/128T");
    EXPECT_EQ(sync_rate_name(0), nullptr);
    EXPECT_EQ(sync_rate_name(25), nullptr);
}

TEST(WaveformNames, NameTheFourCorners) {
    EXPECT_STREQ(waveform_name(1), "Sine");
    EXPECT_STREQ(waveform_name(4), "Random");
    EXPECT_EQ(waveform_name(0), nullptr);
    EXPECT_EQ(waveform_name(5), nullptr);
}
