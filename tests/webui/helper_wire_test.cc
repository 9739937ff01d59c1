// The socket format between an editor and its web helper, the helper's
// command line, and the value message: the pieces both processes share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "webui/helper/helper_args.h"
#include "webui/helper_frames.h"
#include "webui/page_text.h"

namespace {

std::string frame(HelperChannel channel, const std::string& text) {
    uint8_t prefix[kHelperFramePrefix];
    EXPECT_TRUE(helper_frame_prefix(prefix, channel, text.size()));
    return std::string((const char*)prefix, sizeof prefix) + text;
}

struct Read {
    std::vector<std::pair<int, std::string>> frames;
    HelperFrameResult last;
};

// Feeds `bytes` in pieces of `step` and collects every frame, checking that
// each text is terminated right after its length.
Read feed(const std::string& bytes, size_t step) {
    HelperFrameReader reader;
    helper_frame_reader_init(&reader);
    Read read = {{}, kHelperFrameNone};
    for (size_t at = 0; at < bytes.size() && read.last != kHelperFrameBroken; at += step) {
        std::string piece = bytes.substr(at, step);
        helper_frame_append(&reader, piece.data(), piece.size());
        HelperFrame f;
        while ((read.last = helper_frame_next(&reader, &f)) == kHelperFrameReady) {
            EXPECT_EQ(f.text[f.length], '\0');
            read.frames.push_back({f.channel, std::string(f.text, f.length)});
        }
    }
    helper_frame_reader_free(&reader);
    return read;
}

TEST(HelperFrames, FramesComeOutWholeAndInOrderHoweverTheBytesArrive) {
    std::string big(100000, 'x');
    std::string stream = frame(kHelperChannelControl, OKA_HELPER_READY) +
                         frame(kHelperChannelPage, "b 00000005 3f800000") +
                         frame(kHelperChannelPage, "") + frame(kHelperChannelPage, "m " + big) +
                         frame(kHelperChannelPage, "g");
    std::vector<std::pair<int, std::string>> expected = {
        {1, "ready"}, {0, "b 00000005 3f800000"}, {0, ""}, {0, "m " + big}, {0, "g"}};
    for (size_t step : {1u, 2u, 5u, 7u, 4096u, 1u << 20}) {
        Read read = feed(stream, step);
        EXPECT_EQ(read.frames, expected) << "step " << step;
        EXPECT_EQ(read.last, kHelperFrameNone);
    }
}

TEST(HelperFrames, OversizedEmptyOrUnknownFramesBreakTheReader) {
    std::string too_long("\x01\x00\x00\x01", 4); // 16 MiB + 1: one byte over
    std::string zero("\x00\x00\x00\x00", 4);     // not even a channel byte
    std::string unknown_channel("\x02\x00\x00\x00\x02x", 6);
    for (const std::string& bad : {too_long, zero, unknown_channel}) {
        Read read =
            feed(frame(kHelperChannelPage, "s 1 2") + bad + frame(kHelperChannelPage, "g"), 3);
        EXPECT_EQ(read.frames, (std::vector<std::pair<int, std::string>>{{0, "s 1 2"}}));
        EXPECT_EQ(read.last, kHelperFrameBroken);
    }
    uint8_t prefix[kHelperFramePrefix];
    EXPECT_TRUE(helper_frame_prefix(prefix, kHelperChannelPage, kHelperFrameMax - 1));
    EXPECT_FALSE(helper_frame_prefix(prefix, kHelperChannelPage, kHelperFrameMax));
}

TEST(HelperFrames, SizesAreTwoNumbersInTheWindowRange) {
    int w = 0, h = 0;
    EXPECT_TRUE(helper_parse_size("800 600", 7, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_TRUE(helper_parse_size("32767 1", 7, &w, &h));
    for (const char* bad : {"", "800", "800 ", "0 600", "800 0", "32768 1", "-1 5", "8 6 ",
                            "800x600", "99999999999 1", " 800 600"}) {
        EXPECT_FALSE(helper_parse_size(bad, strlen(bad), &w, &h)) << bad;
    }
}

std::vector<char*> argv(std::vector<std::string>& words) {
    std::vector<char*> out;
    for (std::string& w : words)
        out.push_back(&w[0]);
    out.push_back(nullptr);
    return out;
}

TEST(HelperArgs, TheEditorsCommandLineParsesAndEveryOptionIsRequiredOnce) {
    std::vector<std::string> words = {"helper",   "--fd",       "3",       "--parent",
                                      "4194307",  "--size",     "700x677", "--root",
                                      "/b u/n d", "--host-pid", "1234"};
    std::vector<char*> args = argv(words);
    HelperArgs parsed;
    ASSERT_TRUE(helper_parse_args((int)words.size(), args.data(), &parsed));
    EXPECT_EQ(parsed.fd, 3);
    EXPECT_EQ(parsed.parent, 4194307ul);
    EXPECT_EQ(parsed.width, 700);
    EXPECT_EQ(parsed.height, 677);
    EXPECT_STREQ(parsed.root, "/b u/n d");
    EXPECT_EQ(parsed.host_pid, 1234);

    struct Change {
        size_t at;
        const char* value;
    };
    for (Change c : {Change{2, "-1"}, Change{2, "3x"}, Change{4, "0"}, Change{4, "4294967296"},
                     Change{6, "700"}, Change{6, "0x677"}, Change{6, "700x32768"}, Change{8, ""},
                     Change{10, "0"}, Change{1, "--fdx"}, Change{9, "--fd"}}) {
        std::vector<std::string> changed = words;
        changed[c.at] = c.value;
        std::vector<char*> bad = argv(changed);
        EXPECT_FALSE(helper_parse_args((int)changed.size(), bad.data(), &parsed))
            << c.at << " " << c.value;
    }
    // Missing the last value, or the last option altogether.
    EXPECT_FALSE(helper_parse_args((int)words.size() - 1, args.data(), &parsed));
    EXPECT_FALSE(helper_parse_args((int)words.size() - 2, args.data(), &parsed));
}

TEST(PageText, ValueMessagesCarryIndexAndBitsAsEightLowerCaseDigits) {
    char out[kPageValueMessageLength + 1];
    page_value_message(out, 33, 0x3f000000);
    EXPECT_STREQ(out, "s 00000021 3f000000");
    page_value_message(out, 0xFFFFFFFF, 0xBF80ABCD);
    EXPECT_STREQ(out, "s ffffffff bf80abcd");
}

} // namespace
