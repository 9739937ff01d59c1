// The UTF-8 check shared by the news paths and the Linux editor's texts: it
// must refuse what Windows' strict conversion refuses, so both systems
// accept the same identifiers and page texts.
#include <gtest/gtest.h>
#include <string.h>

#include "platform/utf8_check.h"

namespace {

bool valid(const char* text) {
    return utf8_is_valid(text, strlen(text));
}

TEST(Utf8Check, AcceptsEveryWellFormedLengthAtItsBounds) {
    for (const char* good :
         {"", "plain ASCII", "\x7f", "\xc2\x80", "p\xc3\xa9", "\xdf\xbf", "\xe0\xa0\x80",
          "\xed\x9f\xbf", "\xee\x80\x80", "\xef\xbf\xbf", "\xf0\x90\x80\x80", "\xf4\x8f\xbf\xbf"}) {
        EXPECT_TRUE(valid(good)) << good;
    }
}

TEST(Utf8Check, RefusesStrayTruncatedOverlongSurrogateAndOutOfRangeForms) {
    for (const char* bad :
         {"\x80", "a\xbf", "\xc3", "\xe2\x82", "\xf0\x9f\x98", "\xc0\x80", "\xc1\xbf",
          "\xe0\x9f\xbf", "\xf0\x8f\xbf\xbf", "\xed\xa0\x80", "\xed\xbf\xbf", "\xf4\x90\x80\x80",
          "\xf8\x88\x80\x80\x80", "\xff", "\xc3(", "ok\xe2(\xa1"}) {
        EXPECT_FALSE(valid(bad)) << bad;
    }
    // The length is what counts, not a terminator: a cut sequence is refused.
    EXPECT_FALSE(utf8_is_valid("p\xc3\xa9", 2));
    EXPECT_TRUE(utf8_is_valid("a\0b", 3));
}

} // namespace
