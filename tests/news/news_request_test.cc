#include "news/news_request.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

std::string str(NewsSlice slice) {
    return std::string(slice.data, slice.length);
}

// The slices of the result point into the text, which stays alive until the
// next parse.
std::string parsed_text;
NewsRequest parse(const char* text) {
    parsed_text = text;
    return news_parse_request(parsed_text.data(), parsed_text.size());
}

TEST(NewsRequestParse, RecognisesEveryKeywordWithItsParts) {
    NewsRequest r = parse("quorlV1 init prod one");
    EXPECT_EQ(r.kind, kNewsInit);
    EXPECT_EQ(str(r.identifier), "prod one");

    EXPECT_EQ(parse("quorlV1 getNews whatever").kind, kNewsGetNews);

    r = parse("quorlV1 newSid abc def");
    EXPECT_EQ(r.kind, kNewsNewSid);
    EXPECT_EQ(str(r.body), "abc def");

    r = parse("quorlV1 syncNews 12345678 text");
    EXPECT_EQ(r.kind, kNewsSyncNews);
    EXPECT_EQ(str(r.body), "12345678 text");

    r = parse("quorlV1 syncLatest prod -  body with spaces");
    EXPECT_EQ(r.kind, kNewsSyncLatest);
    EXPECT_EQ(str(r.identifier), "prod");
    EXPECT_EQ(str(r.body), "-  body with spaces");

    r = parse("quorlV1 syncNewsForce forced");
    EXPECT_EQ(r.kind, kNewsSyncNewsForce);
    EXPECT_EQ(str(r.body), "forced");

    r = parse("quorlV1 syncLatestForce p2 t");
    EXPECT_EQ(r.kind, kNewsSyncLatestForce);
    EXPECT_EQ(str(r.identifier), "p2");
    EXPECT_EQ(str(r.body), "t");
}

TEST(NewsRequestParse, KeywordsNeedTheirTrailingSpaceAndExactCase) {
    EXPECT_EQ(parse("quorlV1 init").kind, kNewsIgnored);
    EXPECT_EQ(parse("quorlV1 getNews").kind, kNewsIgnored);
    EXPECT_EQ(parse("quorlv1 getNews ").kind, kNewsIgnored);
    EXPECT_EQ(parse("quorlV1 syncnews 12345678 x").kind, kNewsIgnored);
    EXPECT_EQ(parse("").kind, kNewsIgnored);
    EXPECT_EQ(parse(" quorlV1 getNews ").kind, kNewsIgnored);
    EXPECT_EQ(news_parse_request(nullptr, 5).kind, kNewsIgnored);
    // An init with nothing after the keyword names the empty identifier.
    NewsRequest r = parse("quorlV1 init ");
    EXPECT_EQ(r.kind, kNewsInit);
    EXPECT_EQ(r.identifier.length, 0u);
}

TEST(NewsRequestParse, LatestRequestsWithoutSpaceAfterIdentifierAreIgnored) {
    EXPECT_EQ(parse("quorlV1 syncLatest prod").kind, kNewsIgnored);
    EXPECT_EQ(parse("quorlV1 syncLatestForce prod").kind, kNewsIgnored);
    // The identifier may be empty; it ends at the first space.
    NewsRequest r = parse("quorlV1 syncLatestForce  text");
    EXPECT_EQ(r.kind, kNewsSyncLatestForce);
    EXPECT_EQ(r.identifier.length, 0u);
    EXPECT_EQ(str(r.body), "text");
}

TEST(NewsRequestParse, NeverReadsPastTheGivenLength) {
    // The bytes after the length would complete a keyword or a space; a
    // parser that looks past the end would accept them.
    const char text[] = "quorlV1 syncLatest prod rest";
    EXPECT_EQ(news_parse_request(text, strlen("quorlV1 syncLatest prod")).kind, kNewsIgnored);
    EXPECT_EQ(news_parse_request(text, strlen("quorlV1 syncLatest")).kind, kNewsIgnored);
    NewsRequest r = news_parse_request(text, strlen("quorlV1 syncLatest prod r"));
    EXPECT_EQ(str(r.body), "r");
}

TEST(NewsSyncBodyParse, DashAndTagFormsSkipAnySeparator) {
    NewsSyncBody b;
    std::string dash = "-xnew text";
    ASSERT_TRUE(news_parse_sync_body(NewsSlice{dash.data(), dash.size()}, &b));
    EXPECT_TRUE(b.expect_empty);
    EXPECT_EQ(str(b.text), "new text");

    std::string tagged = "ABCDEFGH|rest of it";
    ASSERT_TRUE(news_parse_sync_body(NewsSlice{tagged.data(), tagged.size()}, &b));
    EXPECT_FALSE(b.expect_empty);
    EXPECT_EQ(str(b.tag), "ABCDEFGH");
    EXPECT_EQ(str(b.text), "rest of it");

    std::string bare = "-x";
    ASSERT_TRUE(news_parse_sync_body(NewsSlice{bare.data(), bare.size()}, &b));
    EXPECT_EQ(b.text.length, 0u);
}

TEST(NewsSyncBodyParse, BodiesShorterThanTagAndSeparatorAreRefused) {
    NewsSyncBody b;
    const char text[] = "ABCDEFGH text";
    EXPECT_FALSE(news_parse_sync_body(NewsSlice{text, 0}, &b));
    EXPECT_FALSE(news_parse_sync_body(NewsSlice{"-", 1}, &b));
    EXPECT_FALSE(news_parse_sync_body(NewsSlice{text, 8}, &b));
    EXPECT_TRUE(news_parse_sync_body(NewsSlice{text, 9}, &b));
    EXPECT_EQ(b.text.length, 0u);
}

TEST(NewsSyncDecision, EmptyMatchesAllAndTagsMustMatchInFull) {
    NewsSyncBody dash = {true, {"", 0}, {"t", 1}};
    NewsSyncBody tagged = {false, {"v0000001", 8}, {"t", 1}};
    EXPECT_TRUE(news_sync_accepts(&dash, 0, "", 0));
    EXPECT_TRUE(news_sync_accepts(&tagged, 0, "", 0));
    EXPECT_FALSE(news_sync_accepts(&dash, 1, "x", 1));
    EXPECT_TRUE(news_sync_accepts(&tagged, 20, "v0000001", 8));
    EXPECT_FALSE(news_sync_accepts(&tagged, 20, "v0000002", 8));
    EXPECT_FALSE(news_sync_accepts(&tagged, 20, "w0000001", 8));
    // A stored text shorter than a tag never matches one.
    EXPECT_FALSE(news_sync_accepts(&tagged, 5, "v0000", 5));
}

} // namespace
