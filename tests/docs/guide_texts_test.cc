// The plain-word texts beside the parameter and preset tables: one for every
// control and every preset, each on the row it was written for, and each fit
// to stand in a table cell of the guide.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/factory_presets.h"
#include "engine/parameter_guide.h"
#include "engine/parameter_table.h"

// A text with a '|' or a line break would split the guide's table row; a
// byte outside printable ASCII would show as garbage in some viewers.
static bool fits_a_table_cell(const char* text) {
    if (text == nullptr || strlen(text) < 20)
        return false;
    for (const char* c = text; *c; ++c)
        if (*c < 0x20 || *c > 0x7E || *c == '|')
            return false;
    return true;
}

TEST(GuideTexts, EveryControlHasATextOnItsOwnRow) {
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        EXPECT_STREQ(parameter_guide_id(i), kParameterDescriptions[i].id) << "row " << i;
        EXPECT_TRUE(fits_a_table_cell(parameter_guide_text(i))) << kParameterDescriptions[i].id;
    }
    EXPECT_EQ(parameter_guide_text(kParameterCount), nullptr);
    EXPECT_EQ(parameter_guide_id(kParameterCount), nullptr);
}

// The three vowels share the words of each field: the guide shows one row
// per field, from the heel's text.
TEST(GuideTexts, TheVowelsShareTheirFieldTexts) {
    for (uint32_t field = 0; field < 5; ++field) {
        EXPECT_STREQ(parameter_guide_text(kMidJaw + field), parameter_guide_text(kHeelJaw + field));
        EXPECT_STREQ(parameter_guide_text(kToeJaw + field), parameter_guide_text(kHeelJaw + field));
    }
}

TEST(GuideTexts, EveryWaveformCornerHasAText) {
    for (uint32_t w = 1; w <= 4; ++w)
        EXPECT_TRUE(fits_a_table_cell(waveform_guide_text(w))) << w;
    EXPECT_EQ(waveform_guide_text(0), nullptr);
    EXPECT_EQ(waveform_guide_text(5), nullptr);
}

// A renamed preset would lose its text, and the text of a removed one would
// linger unseen: both show here.
TEST(GuideTexts, EveryPresetHasATextAndEveryTextAPreset) {
    for (const FactoryPreset& p : kFactoryPresets)
        EXPECT_TRUE(fits_a_table_cell(preset_guide_text(p.name))) << p.name;
    uint32_t texts = 0;
    for (; preset_guide_name(texts) != nullptr; ++texts) {
        bool found = false;
        for (const FactoryPreset& p : kFactoryPresets)
            found = found || strcmp(p.name, preset_guide_name(texts)) == 0;
        EXPECT_TRUE(found) << "text for \"" << preset_guide_name(texts) << "\", no such preset";
    }
    EXPECT_EQ(texts, kFactoryPresetCount);
    EXPECT_EQ(preset_guide_text("No Such Preset"), nullptr);
}
