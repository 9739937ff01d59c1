// Saving and restoring through the host's store and retrieve callbacks.
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "lv2/lv2_ports.h"
#include "state/state_restore.h"
#include "state/state_save.h"
#include "tests/lv2/module_host.h"
#include "tests/state/fixtures/state_fixtures.h"

namespace {

std::vector<uint8_t> state_with(const float values[kInputParameterCount],
                                const char* format = "vst3") {
    size_t n = 0;
    void* buf = state_save(values, 44100.0f, format, &n);
    std::vector<uint8_t> bytes((uint8_t*)buf, (uint8_t*)buf + n);
    free(buf);
    return bytes;
}

std::vector<float> defaults() {
    std::vector<float> v(kInputParameterCount);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        v[i] = (float)kInputParameterRecords[i].default_value;
    return v;
}

struct ModuleState : ::testing::Test {
    ModuleState() : log(&urids), m(&urids, &log) {}
    LV2_State_Status restore(const std::vector<uint8_t>& bytes, uint32_t type = 0) {
        Lv2HostState host;
        host.items[urids.map(OKA_STATE_PROPERTY)] =
            Lv2HostState::Item{type ? type : urids.map(LV2_ATOM__Chunk), 3, bytes};
        return m.state()->restore(m.h, Lv2HostState::retrieve, &host, 0, nullptr);
    }
    Lv2HostUrids urids;
    Lv2HostLog log;
    ModuleInstance m;
};

TEST_F(ModuleState, SaveStoresOneChunkPropertyThatRestoresElsewhere) {
    m.controls[kMix] = 42.0f;
    m.controls[kBypass] = 0.0f;
    m.controls[kLfoSyncRate] = 11.0f;
    m.run(64);
    Lv2HostState host;
    ASSERT_EQ(m.state()->save(m.h, Lv2HostState::store, &host, 0, nullptr), LV2_STATE_SUCCESS);
    ASSERT_EQ(host.items.size(), 1u);
    const auto& item = host.items.begin()->second;
    EXPECT_EQ(host.items.begin()->first, urids.map(OKA_STATE_PROPERTY));
    EXPECT_EQ(item.type, urids.map(LV2_ATOM__Chunk));
    EXPECT_EQ(item.flags, (uint32_t)(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
    std::string bytes(item.bytes.begin(), item.bytes.end());
    EXPECT_NE(bytes.find(std::string("\x06\0\0\0\x03\0\0\0formatlv2", 17)), std::string::npos);

    float v[kInputParameterCount];
    ASSERT_EQ(state_read_values(item.bytes.data(), item.bytes.size(), v), 0);
    EXPECT_EQ(v[kMix], 42.0f);
    EXPECT_EQ(v[kBypass], 1.0f); // stored in its own sense: bypassed
    EXPECT_EQ(v[kLfoSyncRate], 11.0f);

    // Another instance restores it; its save then gives the same values.
    ModuleInstance other(&urids, &log);
    ASSERT_EQ(other.state()->restore(other.h, Lv2HostState::retrieve, &host, 0, nullptr),
              LV2_STATE_SUCCESS);
    std::vector<float> again = other.saved_values(&urids);
    ASSERT_EQ(again.size(), kInputParameterCount);
    EXPECT_EQ(memcmp(again.data(), v, sizeof v), 0);
}

TEST_F(ModuleState, StoreFailureIsReported) {
    Lv2HostState host;
    host.store_result = LV2_STATE_ERR_NO_SPACE;
    EXPECT_EQ(m.state()->save(m.h, Lv2HostState::store, &host, 0, nullptr), LV2_STATE_ERR_UNKNOWN);
}

TEST_F(ModuleState, MissingPropertyNamesTheStateProperty) {
    Lv2HostState empty;
    EXPECT_EQ(m.state()->restore(m.h, Lv2HostState::retrieve, &empty, 0, nullptr), 5);
    EXPECT_EQ(log.text(), "Cannot restore state since property <" OKA_STATE_PROPERTY
                          "> could not be retrieved\n");
}

TEST_F(ModuleState, RestoredValuesAreConvertedAndAnyTypeIsParsed) {
    std::vector<float> v = defaults();
    v[kBypass] = 1.0f;
    v[kMidOn] = 0.3f;
    v[kLfoSyncRate] = 7.5f;
    v[kPosition] = 250.0f;
    ASSERT_EQ(restore(state_with(v.data()), urids.map(LV2_ATOM__String)), LV2_STATE_SUCCESS);
    std::vector<float> s = m.saved_values(&urids);
    ASSERT_EQ(s.size(), kInputParameterCount);
    EXPECT_EQ(s[kBypass], 1.0f);
    EXPECT_EQ(s[kMidOn], 1.0f);
    EXPECT_EQ(s[kLfoSyncRate], 8.0f);
    EXPECT_EQ(s[kPosition], 100.0f);
}

// A refused state changes nothing: neither what a save stores nor the sound.
TEST_F(ModuleState, MalformedStatesApplyNothing) {
    m.controls[kMix] = 60.0f;
    m.run(64);
    const std::vector<float> before = m.saved_values(&urids);
    std::vector<float> v = defaults();
    v[kMix] = 10.0f;
    std::vector<uint8_t> good = state_with(v.data());

    std::vector<std::vector<uint8_t>> bad;
    bad.emplace_back(good.begin(), good.begin() + good.size() / 2); // cut short
    bad.emplace_back();                                             // empty
    std::vector<float> with_nan = v;
    with_nan[kPosition] = NAN;
    bad.push_back(state_with(with_nan.data()));
    std::vector<uint8_t> other_id = good;
    std::string text(other_id.begin(), other_id.end());
    size_t at = text.find("zarvo-oka-oka-wah");
    ASSERT_NE(at, std::string::npos);
    other_id[at] = 'Z';
    bad.push_back(other_id);
    std::vector<uint8_t> garbage(3000, 0xA5);
    bad.push_back(garbage);

    for (size_t k = 0; k < bad.size(); ++k) {
        Lv2HostState host;
        host.items[urids.map(OKA_STATE_PROPERTY)] =
            Lv2HostState::Item{urids.map(LV2_ATOM__Chunk), 3, bad[k]};
        LV2_State_Status st = m.state()->restore(m.h, Lv2HostState::retrieve, &host, 0, nullptr);
        // An empty value reads as no value at all.
        EXPECT_TRUE(st == LV2_STATE_ERR_UNKNOWN ||
                    (bad[k].empty() && st == LV2_STATE_ERR_NO_PROPERTY))
            << k;
        m.run(64);
        EXPECT_EQ(m.saved_values(&urids), before) << k;
    }
}

std::vector<uint8_t> read_file(const char* path) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path, "rb");
    if (!f)
        return bytes;
    uint8_t buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

// The state library's committed fixtures restore here with exactly their
// values, and this module saves the lv2 one back byte for byte.
TEST(ModuleStateFixtures, RestoreAndSaveLikeTheStateLibrary) {
    Lv2HostUrids urids;
    Lv2HostLog log(&urids);
    const std::vector<uint8_t> custom = read_file(OKA_STATE_FIXTURE_CUSTOM);
    const std::vector<uint8_t> defaults_vst3 = read_file(OKA_STATE_FIXTURE_DEFAULTS);
    ASSERT_FALSE(custom.empty());
    ASSERT_FALSE(defaults_vst3.empty());

    ModuleInstance m(&urids, &log, true, kStateFixtureCustomSampleRate);
    Lv2HostState host;
    host.items[urids.map(OKA_STATE_PROPERTY)] =
        Lv2HostState::Item{urids.map(LV2_ATOM__Chunk), 3, custom};
    ASSERT_EQ(m.state()->restore(m.h, Lv2HostState::retrieve, &host, 0, nullptr),
              LV2_STATE_SUCCESS);
    // The host sets its ports from the same preset (the enable port inverted).
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        m.controls[i] =
            i == kBypass ? 1.0f - kStateFixtureCustomValues[i] : kStateFixtureCustomValues[i];
    }
    m.run(64);
    Lv2HostState saved;
    ASSERT_EQ(m.state()->save(m.h, Lv2HostState::store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_TRUE(saved.items.begin()->second.bytes == custom);
    std::vector<float> values = m.saved_values(&urids);
    ASSERT_EQ(values.size(), kInputParameterCount);
    EXPECT_EQ(memcmp(values.data(), kStateFixtureCustomValues, sizeof kStateFixtureCustomValues),
              0);

    // The VST3 module's defaults bring every value back.
    host.items[urids.map(OKA_STATE_PROPERTY)].bytes = defaults_vst3;
    ASSERT_EQ(m.state()->restore(m.h, Lv2HostState::retrieve, &host, 0, nullptr),
              LV2_STATE_SUCCESS);
    EXPECT_EQ(m.saved_values(&urids), defaults());
}

} // namespace
