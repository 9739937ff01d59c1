// The committed saved states must keep loading with the same values, and the
// writer must keep producing them byte for byte.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"
#include "tests/state/fixtures/state_fixtures.h"

namespace {

std::string read_file(const char* path) {
    std::string out;
    FILE* f = fopen(path, "rb");
    if (!f)
        return out;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof(chunk), f)) > 0)
        out.append(chunk, n);
    fclose(f);
    return out;
}

struct Fixture {
    const char* path;
    const char* format;
    float sample_rate;
    float values[kInputParameterCount];
};

Fixture defaults_fixture() {
    Fixture f = {
        OKA_STATE_FIXTURE_DEFAULTS, OKA_STATE_FORMAT_VST3, kStateFixtureDefaultsSampleRate, {}};
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        f.values[i] = (float)kInputParameterRecords[i].default_value;
    return f;
}

Fixture custom_fixture() {
    Fixture f = {OKA_STATE_FIXTURE_CUSTOM, OKA_STATE_FORMAT_LV2, kStateFixtureCustomSampleRate, {}};
    memcpy(f.values, kStateFixtureCustomValues, sizeof(f.values));
    return f;
}

} // namespace

TEST(StateFixtures, LoadWithTheirValuesAndTheWriterStillMakesTheSameBytes) {
    for (const Fixture& f : {defaults_fixture(), custom_fixture()}) {
        std::string bytes = read_file(f.path);
        ASSERT_FALSE(bytes.empty()) << f.path;
        float values[kInputParameterCount];
        ASSERT_EQ(state_read_values(bytes.data(), bytes.size(), values), 0) << f.path;
        for (uint32_t i = 0; i < kInputParameterCount; i++)
            EXPECT_EQ(values[i], f.values[i]) << f.path << " " << kParameterDescriptions[i].id;

        StateArchive archive;
        ASSERT_EQ(state_archive_read(&archive, bytes.data(), bytes.size()), 0);
        size_t length = 0;
        const void* format = entry_map_find(archive.info, "format", 6, &length);
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(std::string(static_cast<const char*>(format), length), f.format);
        const void* rate = entry_map_find(archive.info, "sample_rate", 11, &length);
        ASSERT_NE(rate, nullptr);
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(memcmp(rate, &f.sample_rate, 4), 0);
        state_archive_free(&archive);

        void* again = state_save(f.values, f.sample_rate, f.format, &length);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(std::string(static_cast<char*>(again), length), bytes) << f.path;
        free(again);
    }
}

TEST(StateFixtures, CustomValuesDifferFromEveryDefault) {
    // Otherwise a module that ignored one parameter would still pass.
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        EXPECT_NE(kStateFixtureCustomValues[i], (float)kInputParameterRecords[i].default_value)
            << kParameterDescriptions[i].id;
}
