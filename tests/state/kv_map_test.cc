#include "state/kv_map.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "tests/state/state_test_util.h"

namespace {

bool read_kv(const std::string& bytes, Pairs* pairs, int* error = nullptr) {
    errno = 0;
    EntryMap* map = kv_map_read(bytes.data(), bytes.size());
    if (error)
        *error = errno;
    if (!map)
        return false;
    if (pairs)
        *pairs = pairs_of(map);
    entry_map_free(map);
    return true;
}

std::string record(uint32_t key_length, uint32_t value_length, const std::string& rest) {
    std::string out(8, '\0');
    for (int i = 0; i < 4; i++) {
        out[i] = (char)(key_length >> (8 * i));
        out[4 + i] = (char)(value_length >> (8 * i));
    }
    return out + rest;
}

} // namespace

TEST(KvMapWrite, MixRecordIsFifteenLittleEndianBytes) {
    const unsigned char expected[15] = {0x03, 0,   0,   0,    0x04, 0,    0,   0,
                                        'm',  'i', 'x', 0x00, 0x00, 0xC8, 0x42};
    EXPECT_EQ(kv_of({{"mix", f32_bytes(100.0f)}}),
              std::string(reinterpret_cast<const char*>(expected), 15));
}

TEST(KvMapWrite, RecordsFollowKeyOrderBackToBack) {
    std::string bytes = kv_of({{"zeta", "1"}, {"alpha", ""}, {"al", "22"}});
    EXPECT_EQ(bytes, record(2, 2, "al22") + record(5, 0, "alpha") + record(4, 1, "zeta1"));
}

TEST(KvMapWrite, EmptyMapIsAnEmptyBufferNotAFailure) {
    bool ok = false;
    EXPECT_EQ(write_pairs({}, kv_map_write, &ok), "");
    EXPECT_TRUE(ok);
}

TEST(KvMapWrite, RefusesAnEmptyKeyTheReaderWouldReject) {
    bool ok = true;
    errno = 77;
    write_pairs({{"a", "1"}, {"", "x"}}, kv_map_write, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(errno, 77);
}

TEST(KvMapRead, RoundTripKeepsEveryPairIncludingBinaryKeys) {
    Pairs in = {{std::string("\0k", 2), "nul-led"},
                {"a", ""},
                {"b", std::string(300, '\xAB')},
                {"c", std::string("\0\0\0", 3)}};
    Pairs out;
    ASSERT_TRUE(read_kv(kv_of(in), &out));
    EXPECT_EQ(out, in);
    EXPECT_TRUE(read_kv("", &out));
    EXPECT_TRUE(out.empty());
    EntryMap* map = kv_map_read(nullptr, 0);
    ASSERT_NE(map, nullptr);
    entry_map_free(map);
}

TEST(KvMapRead, ZeroKeyLengthFailsWithEinval) {
    int error = 0;
    EXPECT_FALSE(read_kv(record(0, 1, "v"), nullptr, &error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_FALSE(read_kv(record(1, 0, "a") + record(0, 0, ""), nullptr, &error));
    EXPECT_EQ(error, EINVAL);
}

TEST(KvMapRead, EveryTruncationFailsWithEinval) {
    std::string bytes = kv_of({{"position", f32_bytes(50.0f)}, {"mix", f32_bytes(100.0f)}});
    size_t first = 8 + 3 + 4; // "mix" sorts first
    for (size_t cut = 1; cut < bytes.size(); cut++) {
        if (cut == first)
            continue; // a whole first record: a valid map
        int error = 0;
        EXPECT_FALSE(read_kv(bytes.substr(0, cut), nullptr, &error)) << cut;
        EXPECT_EQ(error, EINVAL) << cut;
    }
}

TEST(KvMapRead, LengthsBeyondTheBufferFailWithoutOverflowing) {
    int error = 0;
    EXPECT_FALSE(read_kv(record(0xFFFFFFFFu, 0xFFFFFFFFu, "abc"), nullptr, &error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_FALSE(read_kv(record(1, 0xFFFFFFFFu, "k"), nullptr, &error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_FALSE(read_kv(record(4, 0, "abc"), nullptr, &error));
    EXPECT_EQ(error, EINVAL);
}
