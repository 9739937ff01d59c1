// The page-message parser and dispatcher, without Windows: what each message
// does to the value cache and which callbacks it reaches.
#include "webui/page_message_parse.h"

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

PageMessage parse(const std::string& text, size_t count = 36) {
    return page_message_parse(text.data(), text.size(), count);
}

TEST(PageMessageParse, GesturesCarryHexIndexAndFloatBits) {
    PageMessage m = parse("b 5 3f800000");
    EXPECT_EQ(kPageMessageBegin, m.kind);
    EXPECT_EQ(5u, m.index);
    EXPECT_EQ(0x3f800000u, m.bits);
    m = parse("s\t0x1f \n 0X40000000");
    EXPECT_EQ(kPageMessageSet, m.kind);
    EXPECT_EQ(0x1fu, m.index);
    EXPECT_EQ(0x40000000u, m.bits);
    m = parse("e#23 BF800000"); // the separator is skipped whatever it is
    EXPECT_EQ(kPageMessageEnd, m.kind);
    EXPECT_EQ(0x23u, m.index);
    EXPECT_EQ(0xbf800000u, m.bits);
    m = parse("s 1 ffffffff trailing");
    EXPECT_EQ(0xffffffffu, m.bits);
}

TEST(PageMessageParse, BadGesturesAreIgnored) {
    for (const char* text : {"b 24 3f800000", "b ffffffff 0", "b", "b ", "b 5", "s zz 1", "e 5 zz",
                             "b 100000000 1", "b 1 100000000", "b -1 0", "b 0x 1", ""}) {
        EXPECT_EQ(kPageMessageIgnored, parse(text).kind) << text;
    }
    EXPECT_EQ(kPageMessageIgnored, parse("b 3 0", 3).kind);
    EXPECT_EQ(kPageMessageBegin, parse("b 2 0", 3).kind);
    EXPECT_EQ(kPageMessageIgnored, parse("B 1 0").kind);
    EXPECT_EQ(kPageMessageIgnored, parse("x 1 0").kind);
}

TEST(PageMessageParse, TextAndGetAllBodies) {
    std::string text = "m quorlV1 news";
    PageMessage m = parse(text);
    EXPECT_EQ(kPageMessageText, m.kind);
    EXPECT_EQ(text.data() + 2, m.text);
    EXPECT_EQ(12u, m.text_length);
    // A bare "m" has an empty body at its end, never one past it.
    char bare[2] = {'m', 0};
    m = page_message_parse(bare, 1, 36);
    EXPECT_EQ(kPageMessageText, m.kind);
    EXPECT_EQ(bare + 1, m.text);
    EXPECT_EQ(0u, m.text_length);
    EXPECT_EQ(kPageMessageGetAll, parse("g").kind);
    EXPECT_EQ(kPageMessageGetAll, parse("g anything").kind);
}

TEST(PageMessageParse, ReadHexFollowsScanfRules) {
    uint32_t v = 0;
    EXPECT_EQ(6u, page_message_read_hex("  0x1A", 6, &v));
    EXPECT_EQ(0x1au, v);
    EXPECT_EQ(3u, page_message_read_hex("abcg", 4, &v));
    EXPECT_EQ(0xabcu, v);
    EXPECT_EQ(1u, page_message_read_hex("0x", 2, &v)); // the 0 alone
    EXPECT_EQ(0u, v);
    EXPECT_EQ(0u, page_message_read_hex("   ", 3, &v));
    EXPECT_EQ(2u, page_message_read_hex("12345", 2, &v)); // never reads past length
    EXPECT_EQ(0x12u, v);
}

struct Recorder {
    std::vector<std::string> calls;
    float cache[36];
};

int32_t edit(Recorder* r, const char* kind, uint32_t i, float v) {
    r->calls.push_back(std::string(kind) + " " + std::to_string(i) + " " + std::to_string(v));
    return 0;
}
int32_t begin(void* c, uint32_t i, float v) {
    return edit((Recorder*)c, "b", i, v);
}
int32_t set(void* c, uint32_t i, float v) {
    return edit((Recorder*)c, "s", i, v);
}
int32_t end(void* c, uint32_t i, float v) {
    return edit((Recorder*)c, "e", i, v);
}
void text(void* c, const char* t) {
    ((Recorder*)c)->calls.push_back(std::string("m ") + t);
}
int32_t post(void* c, uint32_t i, float v) {
    return edit((Recorder*)c, "post", i, v);
}

class PageDispatch : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 36; ++i)
            r.cache[i] = (float)i;
        table = PageDispatchTable{&r, {begin, set, end}, text, post, r.cache, 36};
    }
    void send(const std::string& t) { page_message_dispatch(&table, t.c_str(), t.size()); }
    Recorder r;
    PageDispatchTable table;
};

TEST_F(PageDispatch, GestureStoresThenForwardsAndGetAllReportsCache) {
    send("b 5 3f800000");
    send("e 5 40000000");
    ASSERT_EQ(2u, r.calls.size());
    EXPECT_EQ("b 5 1.000000", r.calls[0]);
    EXPECT_EQ("e 5 2.000000", r.calls[1]);
    EXPECT_EQ(2.0f, r.cache[5]);
    r.calls.clear();
    send("g");
    ASSERT_EQ(36u, r.calls.size());
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ("post " + std::to_string(i) + " " + std::to_string(i == 5 ? 2.0f : (float)i),
                  r.calls[(size_t)i]);
}

TEST_F(PageDispatch, TextGoesToHandlerOnlyWhenThereIsOne) {
    send("m quorlV1 get");
    send("m");
    ASSERT_EQ(2u, r.calls.size());
    EXPECT_EQ("m quorlV1 get", r.calls[0]);
    EXPECT_EQ("m ", r.calls[1]);
    table.text = nullptr;
    send("m ignored");
    send("q 1 2");
    send("b 99 3f800000");
    EXPECT_EQ(2u, r.calls.size());
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ((float)i, r.cache[i]);
}

} // namespace
