#include "state/state_archive.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "tests/state/state_test_util.h"

namespace {

// Reads a state; on success hands the archive to `check` and frees it.
template <typename Check> bool read_state(const std::string& bytes, int* error, Check check) {
    StateArchive archive;
    errno = 0;
    if (state_archive_read(&archive, bytes.data(), bytes.size()) != 0) {
        *error = errno;
        EXPECT_EQ(archive.info, nullptr);
        EXPECT_EQ(archive.outer_extras, nullptr);
        return false;
    }
    check(archive);
    state_archive_free(&archive);
    return true;
}

bool reads(const std::string& bytes, int* error) {
    return read_state(bytes, error, [](const StateArchive&) {});
}

std::string write_state(const StateArchive& archive) {
    size_t length = 0;
    void* bytes = state_archive_write(&archive, &length);
    EXPECT_NE(bytes, nullptr);
    std::string out = bytes ? std::string(static_cast<char*>(bytes), length) : "";
    free(bytes);
    return out;
}

} // namespace

TEST(StateArchive, VersionAcceptanceTable) {
    struct Case {
        std::string version;
        bool accepted;
    } cases[] = {
        {"1.0", true},  {"1.0\n", true}, {"1.0  ", true}, {"1.0\t\r\n\v\f", true},
        {"1.1", false}, {"1.", false},   {"1.0x", false}, {"1.0 x", false},
        {"", false},    {" 1.0", false}, {"2.0", false},  {std::string("1.0\0", 4), false},
    };
    for (const Case& c : cases) {
        StateParts parts;
        parts.version = c.version;
        int error = 0;
        EXPECT_EQ(reads(parts.build(), &error), c.accepted) << "[" << c.version << "]";
        if (!c.accepted) {
            EXPECT_EQ(error, EINVAL) << "[" << c.version << "]";
        }
    }
}

TEST(StateArchive, MissingPiecesFailWithEinval) {
    bool StateParts::*pieces[] = {&StateParts::with_dsp, &StateParts::with_version,
                                  &StateParts::with_info, &StateParts::with_parameters};
    for (auto piece : pieces) {
        StateParts parts;
        parts.*piece = false;
        int error = 0;
        EXPECT_FALSE(reads(parts.build(), &error));
        EXPECT_EQ(error, EINVAL);
    }
    int error = 0;
    EXPECT_FALSE(reads("", &error)); // an empty stream has no "dsp.tar"
    EXPECT_EQ(error, EINVAL);
}

TEST(StateArchive, BadInnerPiecesFailWithEinval) {
    // An info.map record with key length 0.
    StateParts zero_key;
    zero_key.with_info = false;
    zero_key.inner_extras.emplace_back("info.map", std::string(8, '\0'));
    int error = 0;
    EXPECT_FALSE(reads(zero_key.build(), &error));
    EXPECT_EQ(error, EINVAL);

    // A parameters.map cut inside a record.
    StateParts parts;
    std::string inner_params = kv_of(parts.parameters);
    parts.with_parameters = false;
    parts.inner_extras.emplace_back("parameters.map",
                                    inner_params.substr(0, inner_params.size() - 1));
    EXPECT_FALSE(reads(parts.build(), &error));
    EXPECT_EQ(error, EINVAL);

    // A dsp.tar whose inner archive is malformed.
    StateParts broken;
    broken.with_dsp = false;
    std::string inner = tar_of({{"version", "1.0"}});
    inner[124] = '9';
    broken.outer_extras.emplace_back("dsp.tar", inner);
    EXPECT_FALSE(reads(broken.build(), &error));
    EXPECT_EQ(error, EINVAL);
}

TEST(StateArchive, ReadSplitsMapsAndExtrasPointingIntoTheBuffer) {
    StateParts parts;
    // Names that are special on the other level are ordinary extras here.
    parts.inner_extras = {{"dsp.tar", "inner"}, {"notes.txt", "hello"}, {"version2", "x"}};
    parts.outer_extras = {{"a.bin", "A"}, {"info.map", "outer"}, {"zzz", ""}};
    std::string bytes = parts.build();
    int error = 0;
    ASSERT_TRUE(read_state(bytes, &error, [&](const StateArchive& a) {
        EXPECT_STREQ(a.version, "1.0");
        EXPECT_EQ(entry_map_count(a.info), 8u);
        EXPECT_EQ(entry_map_count(a.parameters), 32u);
        EXPECT_EQ(pairs_of(a.inner_extras), parts.inner_extras);
        EXPECT_EQ(pairs_of(a.outer_extras), parts.outer_extras);
        size_t length = 0;
        const char* id = static_cast<const char*>(entry_map_find(a.info, "id", 2, &length));
        ASSERT_NE(id, nullptr);
        EXPECT_GE(id, bytes.data());
        EXPECT_LE(id + length, bytes.data() + bytes.size());
    }));
}

TEST(StateArchive, WriteOfAReadStateKeepsExtrasAndGivesTheSameBytes) {
    StateParts parts;
    parts.inner_extras = {{"notes.txt", "hello"}};
    parts.outer_extras = {{"a.bin", "A"}, {"zzz", std::string(600, 'z')}};
    std::string bytes = parts.build();
    int error = 0;
    ASSERT_TRUE(read_state(bytes, &error, [&](const StateArchive& a) {
        // Equal because build() assembles the archive the way the writer does.
        EXPECT_EQ(write_state(a), bytes);
    }));
}

TEST(StateArchive, WrittenLayoutIsDspTarHoldingInfoParametersVersion) {
    StateArchive archive;
    ASSERT_EQ(state_archive_init(&archive), 0);
    entry_map_insert(archive.info, "id", 2, "x", 1);
    entry_map_insert(archive.parameters, "mix", 3, "abcd", 4);
    std::string bytes = write_state(archive);
    state_archive_free(&archive);
    state_archive_free(&archive); // freeing twice is harmless: the maps are nulled

    EntryMap* outer = tar_read(bytes.data(), bytes.size());
    ASSERT_NE(outer, nullptr);
    Pairs outer_pairs = pairs_of(outer);
    entry_map_free(outer);
    ASSERT_EQ(outer_pairs.size(), 1u);
    EXPECT_EQ(outer_pairs[0].first, "dsp.tar");
    EntryMap* inner = tar_read(outer_pairs[0].second.data(), outer_pairs[0].second.size());
    ASSERT_NE(inner, nullptr);
    Pairs inner_pairs = pairs_of(inner);
    entry_map_free(inner);
    ASSERT_EQ(inner_pairs.size(), 3u);
    EXPECT_EQ(inner_pairs[0],
              (std::pair<std::string, std::string>("info.map", kv_of({{"id", "x"}}))));
    EXPECT_EQ(inner_pairs[1].first, "parameters.map");
    EXPECT_EQ(inner_pairs[1].second, kv_of({{"mix", "abcd"}}));
    EXPECT_EQ(inner_pairs[2], (std::pair<std::string, std::string>("version", "1.0")));
    // The inner archive carries its own two end blocks.
    EXPECT_EQ(outer_pairs[0].second.substr(outer_pairs[0].second.size() - 1024),
              std::string(1024, '\0'));
}

TEST(StateArchive, WriteFailsWhenAnExtraCannotBeStored) {
    StateArchive archive;
    ASSERT_EQ(state_archive_init(&archive), 0);
    std::string long_name(120, 'n');
    entry_map_insert(archive.outer_extras, long_name.data(), long_name.size(), "v", 1);
    size_t length = 0;
    EXPECT_EQ(state_archive_write(&archive, &length), nullptr);
    state_archive_free(&archive);
}
