// The factory preset table: what hosts, files and the page rely on, and that
// every preset is a sound of its own.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "engine/factory_presets.h"
#include "tests/engine/engine_test_util.h"

TEST(FactoryPresets, InitHoldsTheDefaults) {
    ASSERT_STREQ(kFactoryPresets[0].name, "Init");
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        float def = static_cast<float>(kInputParameterRecords[i].default_value);
        EXPECT_EQ(float_bits(kFactoryPresets[0].values[i]), float_bits(def))
            << kParameterDescriptions[i].id;
    }
}

// A stored value the modules would snap or clamp on the way in would load as
// something else than the preset says.
TEST(FactoryPresets, EveryValueIsOneTheModulesKeep) {
    for (const FactoryPreset& p : kFactoryPresets) {
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            float v = p.values[i];
            EXPECT_EQ(static_cast<float>(snapAndClamp(i, v)), v)
                << p.name << ": " << kParameterDescriptions[i].id << " " << v;
        }
        EXPECT_EQ(p.values[kBypass], 0.0f) << p.name << " would load bypassed";
    }
}

static bool file_name_safe(const char* name) {
    size_t n = strlen(name);
    if (n == 0 || name[0] == ' ' || name[n - 1] == ' ' || name[n - 1] == '.')
        return false;
    for (const char* c = name; *c; ++c) {
        if (*c < 0x20 || *c > 0x7E || strchr("/\\:*?\"<>|", *c) != nullptr)
            return false;
    }
    return true;
}

// Names become file names (.vstpreset), LV2 labels and menu entries; the
// menu groups a category's presets together.
TEST(FactoryPresets, NamesAndCategoriesServeFilesAndMenus) {
    EXPECT_GE(kFactoryPresetCount, 16u);
    std::vector<std::string> names, closed_categories;
    const char* category = "";
    for (const FactoryPreset& p : kFactoryPresets) {
        EXPECT_TRUE(file_name_safe(p.name)) << "\"" << p.name << "\"";
        EXPECT_TRUE(file_name_safe(p.category)) << "\"" << p.category << "\"";
        for (const std::string& seen : names)
            EXPECT_STRCASENE(seen.c_str(), p.name) << "two presets share a name";
        names.push_back(p.name);
        if (strcmp(p.category, category) != 0) {
            for (const std::string& c : closed_categories)
                EXPECT_NE(c, p.category) << p.name << " is apart from its category";
            closed_categories.push_back(category);
            category = p.category;
        }
    }
    EXPECT_GE(closed_categories.size(), 6u) << "categories";
}

// Two plucked notes with a sawtooth's harmonics, quiet and loud, so the
// envelope presets move.
static std::vector<float> plucked_notes(float fs) {
    std::vector<float> v(static_cast<size_t>(fs * 1.5f));
    for (size_t n = 0; n < v.size(); ++n) {
        float t = static_cast<float>(n % static_cast<size_t>(fs * 0.75f)) / fs;
        float f = n < v.size() / 2 ? 110.0f : 147.0f;
        float saw = 2.0f * (t * f - floorf(t * f)) - 1.0f;
        v[n] = saw * 0.2f * expf(-4.0f * t);
    }
    return v;
}

static std::vector<float> render(const FactoryPreset& p, const std::vector<float>& in) {
    WahEngine e;
    wah_engine_init(&e);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        wah_engine_set_parameter(&e, i, p.values[i]);
    wah_engine_set_sample_rate(&e, 48000.0f);
    wah_engine_reset(&e);
    std::vector<float> out(in.size());
    for (size_t at = 0; at < in.size(); at += 256) {
        int32_t n = static_cast<int32_t>(in.size() - at < 256 ? in.size() - at : 256);
        wah_engine_process(&e, in.data() + at, out.data() + at, n);
    }
    return out;
}

static double rms(const std::vector<float>& a, const std::vector<float>* b = nullptr) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        double d = a[i] - (b != nullptr ? (*b)[i] : 0.0f);
        sum += d * d;
    }
    return sqrt(sum / static_cast<double>(a.size()));
}

// A preset whose sound another one already makes (a copied row, or one that
// differs only where the sound ignores it, such as a switched-off mid vowel)
// adds nothing: every pair differs by at least a tenth of their level.
TEST(FactoryPresets, EveryPresetSoundsDifferent) {
    std::vector<float> in = plucked_notes(48000.0f);
    std::vector<std::vector<float>> outs;
    for (const FactoryPreset& p : kFactoryPresets)
        outs.push_back(render(p, in));
    for (size_t a = 0; a < outs.size(); ++a) {
        for (size_t b = a + 1; b < outs.size(); ++b) {
            double level = fmax(rms(outs[a]), rms(outs[b]));
            EXPECT_GT(rms(outs[a], &outs[b]), 0.1 * level)
                << kFactoryPresets[a].name << " and " << kFactoryPresets[b].name;
        }
    }
}
