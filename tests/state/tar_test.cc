#include "state/tar.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "tests/state/state_test_util.h"

namespace {

std::string field(const std::string& header, size_t offset, size_t size) {
    return header.substr(offset, size);
}

// The header sum with the checksum field counted as eight spaces.
unsigned long header_sum(const std::string& header) {
    unsigned long sum = 0;
    for (size_t i = 0; i < 512; i++)
        sum += (i >= 148 && i < 156) ? ' ' : (unsigned char)header[i];
    return sum;
}

// Reads `bytes` and, on success, returns its pairs.
bool read_tar(const std::string& bytes, Pairs* pairs, int* error = nullptr) {
    errno = 0;
    EntryMap* map = tar_read(bytes.data(), bytes.size());
    if (error)
        *error = errno;
    if (!map)
        return false;
    if (pairs)
        *pairs = pairs_of(map);
    entry_map_free(map);
    return true;
}

std::string one_entry_header(const char* size_field) {
    std::string archive = tar_of({{"a", "xyz"}});
    memcpy(&archive[124], size_field, 12);
    return archive;
}

} // namespace

TEST(TarWrite, VersionEntryHasTheExactHeaderBytes) {
    std::string archive = tar_of({{"version", "1.0"}});
    ASSERT_EQ(archive.size(), 512u + 512u + 1024u);
    std::string h = archive.substr(0, 512);
    EXPECT_EQ(field(h, 0, 100), std::string("version") + std::string(93, '\0'));
    EXPECT_EQ(field(h, 100, 8), std::string("0000644\0", 8));
    EXPECT_EQ(field(h, 108, 8), std::string("0000000\0", 8));
    EXPECT_EQ(field(h, 116, 8), std::string("0000000\0", 8));
    EXPECT_EQ(field(h, 124, 12), std::string("00000000003\0", 12));
    EXPECT_EQ(field(h, 136, 12), std::string("00000000000\0", 12));
    EXPECT_EQ(field(h, 148, 8), std::string("07346\0\0 ", 8)); // 3814
    EXPECT_EQ(header_sum(h), 3814u);
    EXPECT_EQ(h[156], '0');
    EXPECT_EQ(field(h, 157, 100), std::string(100, '\0'));
    EXPECT_EQ(field(h, 257, 6), std::string("ustar\0", 6));
    EXPECT_EQ(field(h, 263, 2), "00");
    EXPECT_EQ(field(h, 265, 247), std::string(247, '\0'));
    EXPECT_EQ(archive.substr(512, 512), std::string("1.0") + std::string(509, '\0'));
    EXPECT_EQ(archive.substr(1024), std::string(1024, '\0'));
}

TEST(TarWrite, ChecksumIsTheHeaderSumInFiveOctalDigitsThenNulNulSpace) {
    // High bytes in the longest name give the largest sum a header can have
    // (no written header reaches 32768, so five digits always suffice).
    const std::string names[] = {"a", std::string(99, '\xFF'), std::string(50, '\x80')};
    for (const std::string& name : names) {
        std::string h = tar_of({{name, std::string(1000, 'x')}}).substr(0, 512);
        char expected[8];
        snprintf(expected, sizeof(expected), "%05lo", header_sum(h));
        EXPECT_EQ(field(h, 148, 8), std::string(expected, 5) + std::string("\0\0 ", 3));
    }
}

TEST(TarWrite, EmptyMapIsExactlyTwoNulBlocks) {
    EXPECT_EQ(tar_of({}), std::string(1024, '\0'));
}

TEST(TarWrite, ContentsArePaddedToWholeBlocks) {
    struct Case {
        size_t size, total;
    } cases[] = {{0, 512 + 1024}, {1, 1024 + 1024}, {512, 1024 + 1024}, {513, 1536 + 1024}};
    for (const Case& c : cases) {
        std::string contents(c.size, 'x');
        std::string archive = tar_of({{"e", contents}});
        EXPECT_EQ(archive.size(), c.total) << c.size;
        EXPECT_EQ(archive.substr(512, c.size), contents);
        EXPECT_EQ(archive.substr(512 + c.size), std::string(c.total - 512 - c.size, '\0'));
    }
}

TEST(TarWrite, EntriesComeOutInKeyOrderWhateverTheInsertionOrder) {
    Pairs pairs;
    ASSERT_TRUE(read_tar(tar_of({{"version", "1.0"},
                                 {"parameters.map", "p"},
                                 {"dsp.tar", "d"},
                                 {"info.map", "i"},
                                 {"info", "prefix"}}),
                         &pairs));
    ASSERT_EQ(pairs.size(), 5u);
    EXPECT_EQ(pairs[0].first, "dsp.tar");
    EXPECT_EQ(pairs[1].first, "info"); // a prefix of another key comes first
    EXPECT_EQ(pairs[2].first, "info.map");
    EXPECT_EQ(pairs[3].first, "parameters.map");
    EXPECT_EQ(pairs[4].first, "version");
}

TEST(TarWrite, RefusesNamesTheReaderCouldNotGiveBackAndLeavesErrnoAlone) {
    bool ok = false;
    write_pairs({{std::string(99, 'n'), "v"}}, tar_write, &ok);
    EXPECT_TRUE(ok);
    const std::string bad_names[] = {std::string(100, 'n'), std::string(150, 'n'), "",
                                     std::string("a\0b", 3)};
    for (const std::string& name : bad_names) {
        errno = 1234;
        write_pairs({{"fine", "v"}, {name, "v"}}, tar_write, &ok);
        EXPECT_FALSE(ok) << name.size();
        EXPECT_EQ(errno, 1234);
    }
}

TEST(TarRead, RoundTripGivesBackNamesAndContentsPointingIntoTheBuffer) {
    Pairs in = {{"a", ""},
                {"b", std::string(512, 'b')},
                {"c", std::string(513, '\0')},
                {std::string(99, 'z'), "last"}};
    std::string archive = tar_of(in);
    EntryMap* map = tar_read(archive.data(), archive.size());
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(pairs_of(map), in);
    size_t length = 0;
    const char* b = static_cast<const char*>(entry_map_find(map, "b", 1, &length));
    EXPECT_EQ(b, archive.data() + 512 + 512); // header a (no data), header b, b's data
    entry_map_free(map);
}

TEST(TarRead, EmptyOrNulStartedBuffersAreEmptyArchives) {
    Pairs pairs = {{"x", "y"}};
    EXPECT_TRUE(read_tar(std::string(), &pairs));
    EXPECT_TRUE(pairs.empty());
    EntryMap* map = tar_read(nullptr, 0);
    ASSERT_NE(map, nullptr);
    entry_map_free(map);
    std::string junk_after_nul = std::string(1, '\0') + "anything at all";
    EXPECT_TRUE(read_tar(junk_after_nul, &pairs));
    EXPECT_TRUE(pairs.empty());
    // Data after the end blocks is ignored, and so is a cut-short end block.
    std::string archive = tar_of({{"k", "v"}});
    EXPECT_TRUE(read_tar(archive + "trailing", &pairs));
    EXPECT_EQ(pairs, (Pairs{{"k", "v"}}));
    EXPECT_TRUE(read_tar(archive.substr(0, 1024 + 1), &pairs));
    EXPECT_EQ(pairs.size(), 1u);
}

TEST(TarRead, AcceptsAHundredByteNameWithoutNul) {
    std::string archive = tar_of({{std::string(99, 'n'), "v"}});
    archive[99] = 'n'; // the name now fills its whole field
    Pairs pairs;
    ASSERT_TRUE(read_tar(archive, &pairs));
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].first, std::string(100, 'n'));
}

TEST(TarRead, MalformedSizeFieldsFailWithEinval) {
    const char* bad[] = {
        "00000000080",  // '8' is no octal digit
        "000000000 3",  // blank inside the digits
        "000000000003", // twelve digits: no NUL at offset 135
        "20000000000",  // 2^31
        "77777777777",  // far above
    };
    for (const char* size : bad) {
        char field12[12] = {0};
        memcpy(field12, size, strlen(size) < 12 ? strlen(size) : 12);
        int error = 0;
        EXPECT_FALSE(read_tar(one_entry_header(field12), nullptr, &error)) << size;
        EXPECT_EQ(error, EINVAL) << size;
    }
    char largest[12] = "00000000003";
    EXPECT_TRUE(read_tar(one_entry_header(largest), nullptr));
}

TEST(TarRead, HeadersOrContentsRunningPastTheEndFailWithEinval) {
    std::string archive = tar_of({{"first", std::string(700, 'x')}, {"second", "abc"}});
    // Cuts inside the first header, its contents, the second header and the
    // second contents: each must be refused.
    for (size_t cut : {1, 300, 511, 512, 600, 1211, 1537, 2047, 2048, 2050}) {
        int error = 0;
        EXPECT_FALSE(read_tar(archive.substr(0, cut), nullptr, &error)) << cut;
        EXPECT_EQ(error, EINVAL) << cut;
    }
    // The contents end exactly at the buffer's end: accepted without padding.
    Pairs pairs;
    EXPECT_TRUE(read_tar(archive.substr(0, 1536 + 512 + 3), &pairs));
    EXPECT_EQ(pairs.size(), 2u);
}

TEST(TarRead, RepeatedNamesAreAllKept) {
    std::string twice = tar_of({{"x", "1"}}).substr(0, 1024) + tar_of({{"x", "2"}});
    Pairs pairs;
    ASSERT_TRUE(read_tar(twice, &pairs));
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, "x");
    EXPECT_EQ(pairs[1].first, "x");
    EXPECT_NE(pairs[0].second, pairs[1].second);
}
