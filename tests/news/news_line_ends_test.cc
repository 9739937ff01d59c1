#include "news/news_line_ends.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string fromDisk(std::string text) {
    text.resize(newsLinesFromDisk(&text[0], text.size()));
    return text;
}

TEST(NewsLineEnds, OnlyCrLfPairsBecomeLineFeeds) {
    EXPECT_EQ(fromDisk("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(fromDisk("a\rb\r"), "a\rb\r");   // lone CRs stay
    EXPECT_EQ(fromDisk("a\r\r\nb"), "a\r\nb"); // what text mode makes of "a\r\nb"
    EXPECT_EQ(fromDisk("\n\r\n\x1a tail"), "\n\n\x1a tail");
    EXPECT_EQ(fromDisk(""), "");
}

} // namespace
