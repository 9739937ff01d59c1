#include "state/state_restore.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "state/state_archive.h"
#include "state/state_save.h"
#include "tests/state/state_test_util.h"

namespace {

// A module stand-in: records every call the restore makes.
struct Recorder {
    std::vector<std::string> calls;
    float values[kInputParameterCount];
    bool locked = false;
    bool set_outside_lock = false;
};

void record_lock(void* user) {
    Recorder* r = static_cast<Recorder*>(user);
    r->calls.push_back("lock");
    r->locked = true;
}
void record_unlock(void* user) {
    Recorder* r = static_cast<Recorder*>(user);
    r->calls.push_back("unlock");
    r->locked = false;
}
void record_set(void* user, uint64_t index, float value) {
    Recorder* r = static_cast<Recorder*>(user);
    r->calls.push_back("set " + std::to_string(index));
    if (!r->locked)
        r->set_outside_lock = true;
    if (index < kInputParameterCount)
        r->values[index] = value;
}

RestoreTarget target_of(Recorder* r) {
    return {r, record_lock, record_unlock, record_set};
}

int restore(const std::string& bytes, Recorder* r) {
    RestoreTarget target = target_of(r);
    errno = 0;
    return state_restore(&target, bytes.data(), bytes.size());
}

std::string save(const float* values, float sample_rate, const char* format) {
    size_t length = 0;
    void* bytes = state_save(values, sample_rate, format, &length);
    EXPECT_NE(bytes, nullptr);
    std::string out = bytes ? std::string(static_cast<char*>(bytes), length) : "";
    free(bytes);
    return out;
}

void some_values(float* values) {
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        values[i] = 0.25f * (float)i - 1.0f;
}

// Expects a refused restore that never touched the target.
void expect_refused(const std::string& bytes, const char* what) {
    Recorder r;
    EXPECT_EQ(restore(bytes, &r), -1) << what;
    EXPECT_EQ(errno, EINVAL) << what;
    EXPECT_TRUE(r.calls.empty()) << what;
}

} // namespace

TEST(StateSave, InfoMapHoldsTheEightPairsAndParametersTheThirtyTwoIds) {
    float values[kInputParameterCount];
    some_values(values);
    std::string bytes = save(values, 44100.0f, OKA_STATE_FORMAT_LV2);
    StateArchive archive;
    ASSERT_EQ(state_archive_read(&archive, bytes.data(), bytes.size()), 0);
    Pairs info = pairs_of(archive.info);
    Pairs expected_info = {{"format", "lv2"},
                           {"id", "zarvo-oka-oka-wah"},
                           {"platform", "windows"},
                           {"sample_rate", f32_bytes(44100.0f)},
                           {"version_build", i32_bytes(1)},
                           {"version_major", i32_bytes(1)},
                           {"version_minor", i32_bytes(0)},
                           {"version_revision", i32_bytes(0)}};
    EXPECT_EQ(info, expected_info);
    Pairs parameters = pairs_of(archive.parameters);
    ASSERT_EQ(parameters.size(), 32u);
    for (uint32_t i = 0; i < kInputParameterCount; i++) {
        size_t length = 0;
        const char* id = kParameterDescriptions[i].id;
        const void* v = entry_map_find(archive.parameters, id, strlen(id), &length);
        ASSERT_NE(v, nullptr) << id;
        EXPECT_EQ(std::string(static_cast<const char*>(v), length), f32_bytes(values[i])) << id;
    }
    EXPECT_EQ(entry_map_count(archive.inner_extras), 0u);
    EXPECT_EQ(entry_map_count(archive.outer_extras), 0u);
    state_archive_free(&archive);
}

TEST(StateRestore, SavedValuesComeBackInIndexOrderUnderTheLock) {
    float values[kInputParameterCount];
    some_values(values);
    values[kPosition] = 250.0f; // out of range: the module's setter clamps it
    values[kMix] = -0.0f;
    values[kLfoBias] = INFINITY; // not NaN: passed on
    Recorder r;
    ASSERT_EQ(restore(save(values, 48000.0f, OKA_STATE_FORMAT_VST3), &r), 0);
    ASSERT_EQ(r.calls.size(), 34u);
    EXPECT_EQ(r.calls.front(), "lock");
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        EXPECT_EQ(r.calls[i + 1], "set " + std::to_string(i));
    EXPECT_EQ(r.calls.back(), "unlock");
    EXPECT_FALSE(r.set_outside_lock);
    EXPECT_EQ(memcmp(r.values, values, sizeof(values)), 0); // bit for bit
}

TEST(StateRestore, IdChecks) {
    StateParts missing;
    missing.drop(missing.info, "id");
    expect_refused(missing.build(), "no id");
    const char* wrong_ids[] = {"zarvo-oka-oka-wa", "zarvo-oka-oka-wahh", "zarvo-oka-oka-waH", ""};
    for (const char* id : wrong_ids) {
        StateParts parts;
        parts.drop(parts.info, "id");
        parts.info.emplace_back("id", id);
        expect_refused(parts.build(), id);
    }
    StateParts with_nul;
    with_nul.drop(with_nul.info, "id");
    with_nul.info.emplace_back("id", std::string("zarvo-oka-oka-wah\0", 18));
    expect_refused(with_nul.build(), "id with a trailing NUL");
}

TEST(StateRestore, ABadParameterRejectsTheWholeStateBeforeAnythingIsApplied) {
    StateParts no_bypass;
    no_bypass.drop(no_bypass.parameters, "bypass");
    expect_refused(no_bypass.build(), "missing bypass");

    StateParts wide_position;
    wide_position.set_parameter("position", f32_bytes(50.0f) + f32_bytes(0.0f));
    expect_refused(wide_position.build(), "8-byte position");

    StateParts short_mix;
    short_mix.set_parameter("mix", "abc");
    expect_refused(short_mix.build(), "3-byte mix");

    StateParts nan_mix;
    nan_mix.set_parameter("mix", f32_bytes(NAN));
    expect_refused(nan_mix.build(), "NaN mix");

    // A quiet NaN with another payload, on the last parameter.
    StateParts nan_bypass;
    nan_bypass.set_parameter("bypass", std::string("\x01\x00\xC0\xFF", 4));
    expect_refused(nan_bypass.build(), "NaN bypass");

    StateParts misspelt;
    misspelt.drop(misspelt.parameters, "lfo_sync_rate");
    misspelt.parameters.emplace_back("lfo_sync_rat", f32_bytes(8.0f));
    expect_refused(misspelt.build(), "misspelt key");
}

TEST(StateRestore, UnknownPairsOtherFormatsAndExtrasAreAccepted) {
    StateParts parts;
    parts.parameters.emplace_back("future_knob", f32_bytes(NAN));
    parts.parameters.emplace_back("mix2", "whatever length");
    parts.info.emplace_back("comment", "saved by a later version");
    parts.drop(parts.info, "format");
    parts.info.emplace_back("format", "lv2");
    parts.drop(parts.info, "sample_rate");
    parts.drop(parts.info, "version_major");
    parts.inner_extras.emplace_back("presets.txt", "x");
    parts.outer_extras.emplace_back("another.tar", tar_of({}));
    parts.set_parameter("mix", f32_bytes(33.0f));
    Recorder r;
    ASSERT_EQ(restore(parts.build(), &r), 0);
    EXPECT_EQ(r.values[kMix], 33.0f);
    EXPECT_EQ(r.calls.size(), 34u);
}

TEST(StateRestore, TruncatedOrOversizedInputsAreRefusedUntouched) {
    float values[kInputParameterCount];
    some_values(values);
    std::string bytes = save(values, 48000.0f, OKA_STATE_FORMAT_VST3);
    // Cut every 61 bytes up to the outer end blocks; each must be refused
    // (a cut on a block boundary inside dsp.tar still loses its contents).
    for (size_t cut = 0; cut + 1024 < bytes.size(); cut += 61) {
        Recorder r;
        EXPECT_EQ(restore(bytes.substr(0, cut), &r), -1) << cut;
        EXPECT_TRUE(r.calls.empty()) << cut;
    }
    // Without its outer end blocks the archive still holds the whole state.
    Recorder whole;
    EXPECT_EQ(restore(bytes.substr(0, bytes.size() - 1024), &whole), 0);

    // A dsp.tar claiming more contents than the stream holds.
    std::string oversized = bytes;
    memcpy(&oversized[124], "01777777777", 11);
    expect_refused(oversized, "oversized dsp.tar");

    // Trailing bytes after the end blocks are ignored.
    Recorder trailing;
    EXPECT_EQ(restore(bytes + std::string(5000, '\x5A'), &trailing), 0);
}

TEST(StateRestore, ReadValuesLeavesTheOutputAloneOnFailure) {
    StateParts parts;
    parts.set_parameter("mix", f32_bytes(NAN));
    std::string bad = parts.build();
    float values[kInputParameterCount];
    for (float& v : values)
        v = 7.0f;
    EXPECT_EQ(state_read_values(bad.data(), bad.size(), values), -1);
    for (float v : values)
        EXPECT_EQ(v, 7.0f);
    StateParts good;
    std::string ok = good.build();
    ASSERT_EQ(state_read_values(ok.data(), ok.size(), values), 0);
    EXPECT_EQ(values[kMix], 100.0f);
    EXPECT_EQ(values[kLfoSyncRate], 8.0f);
}

TEST(StateRestore, RefusesATargetWithoutItsFunctions) {
    StateParts parts;
    std::string bytes = parts.build();
    Recorder r;
    RestoreTarget target = target_of(&r);
    target.unlock = nullptr;
    EXPECT_EQ(state_restore(&target, bytes.data(), bytes.size()), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_TRUE(r.calls.empty());
    EXPECT_EQ(state_restore(nullptr, bytes.data(), bytes.size()), -1);
}
