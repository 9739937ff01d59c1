#include "news/news_line_ends.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string from_disk(std::string text) {
    text.resize(news_lines_from_disk(&text[0], text.size()));
    return text;
}

TEST(NewsLineEnds, OnlyCrLfPairsBecomeLineFeeds) {
    EXPECT_EQ(from_disk("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(from_disk("a\rb\r"), "a\rb\r");   // lone CRs stay
    EXPECT_EQ(from_disk("a\r\r\nb"), "a\r\nb"); // what text mode makes of "a\r\nb"
    EXPECT_EQ(from_disk("\n\r\n\x1a tail"), "\n\n\x1a tail");
    EXPECT_EQ(from_disk(""), "");
}

} // namespace
