// The request core against a recording file table: the failure paths that
// real files cannot be made to take on demand, and requests that must touch
// no file at all. The ordinary grammar is tested on real files under Wine.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "news/news_store.h"

namespace {

struct Files {
    std::map<std::string, std::string> stored; // "quorl-news", "id/latest"
    std::vector<std::string> calls;
    std::string fail_read; // entry whose read fails
    NewsSyncOutcome sync_outcome = kNewsSyncWritten;
    bool conflict_text_lost = false; // conflict whose stored text could not be read
};

std::string name(const NewsComponents* c) {
    std::string path;
    for (size_t i = 0; i < c->count; i++) {
        if (i)
            path += '/';
        path.append(c->part[i].data, c->part[i].length);
    }
    return path;
}

NewsText copy_out(const std::string& text) {
    char* data = (char*)malloc(text.size() + 1);
    memcpy(data, text.c_str(), text.size() + 1);
    return NewsText{data, text.size()};
}

NewsStatus read_fake(void* context, const NewsComponents* c, NewsText* out) {
    Files* files = (Files*)context;
    files->calls.push_back("read " + name(c));
    *out = NewsText{nullptr, 0};
    if (name(c) == files->fail_read)
        return kNewsFailed;
    auto found = files->stored.find(name(c));
    if (found != files->stored.end())
        *out = copy_out(found->second);
    return kNewsOk;
}

void write_fake(void* context, NewsSlice text, const NewsComponents* c) {
    Files* files = (Files*)context;
    files->calls.push_back("write " + name(c));
    files->stored[name(c)] = std::string(text.data, text.length);
}

NewsSyncOutcome sync_fake(void* context, const NewsComponents* c, const NewsSyncBody* body,
                          NewsText* stored) {
    Files* files = (Files*)context;
    std::string expect = body->expect_empty ? "-" : std::string(body->tag.data, body->tag.length);
    files->calls.push_back("sync " + name(c) + " " + expect + " " +
                           std::string(body->text.data, body->text.length));
    *stored = NewsText{nullptr, 0};
    if (files->sync_outcome == kNewsSyncConflict && !files->conflict_text_lost) {
        *stored = copy_out(files->stored[name(c)]);
    }
    return files->sync_outcome;
}

const NewsFileOps kFake = {read_fake, write_fake, sync_fake};

void collect(void* context, const char* text) {
    ((std::vector<std::string>*)context)->push_back(text);
}

std::vector<std::string> serve(Files* files, const std::string& request) {
    std::vector<std::string> replies;
    news_store_serve(&kFake, files, request.data(), request.size(), collect, &replies);
    return replies;
}

using Texts = std::vector<std::string>;

TEST(NewsStoreCore, InitSendsNothingWhenAnyReadFails) {
    Files files;
    files.stored = {{"quorl-system", "S"}};
    files.fail_read = "quorl-news";
    EXPECT_EQ(serve(&files, "quorlV1 init prod"), Texts{});
    // Reading stops at the first failure.
    EXPECT_EQ(files.calls, (Texts{"read quorl-system", "read quorl-news"}));
}

TEST(NewsStoreCore, InitWithAnUnusableIdentifierSkipsOnlyTheLatestText) {
    Files files;
    files.stored = {{"quorl-news", "N"}};
    for (const char* request : {"quorlV1 init ", "quorlV1 init ..", "quorlV1 init a\\b"}) {
        files.calls.clear();
        EXPECT_EQ(serve(&files, request), (Texts{"quorlV1 initNews N", "quorlV1 initDone "}));
        EXPECT_EQ(files.calls, (Texts{"read quorl-system", "read quorl-news"})) << request;
    }
}

TEST(NewsStoreCore, SyncsPassTheParsedBodyAndReportConflictsWithTheStoredText) {
    Files files;
    EXPECT_EQ(serve(&files, "quorlV1 syncNews -:first"), Texts{});
    EXPECT_EQ(serve(&files, "quorlV1 syncLatest prod ABCDEFGH second"), Texts{});
    EXPECT_EQ(files.calls, (Texts{"sync quorl-news - first", "sync prod/latest ABCDEFGH second"}));

    files.sync_outcome = kNewsSyncConflict;
    files.stored = {{"quorl-news", "stored news"}, {"prod/latest", "stored latest"}};
    EXPECT_EQ(serve(&files, "quorlV1 syncNews -:x"),
              (Texts{"quorlV1 syncNewsConflict stored news"}));
    EXPECT_EQ(serve(&files, "quorlV1 syncLatest prod 12345678 x"),
              (Texts{"quorlV1 syncLatestConflict stored latest"}));

    files.conflict_text_lost = true;
    EXPECT_EQ(serve(&files, "quorlV1 syncNews -:x"), Texts{});
}

TEST(NewsStoreCore, MalformedOrUnsafeRequestsTouchNoFile) {
    Files files;
    for (const char* request :
         {"quorlV1 syncNews -", "quorlV1 syncNews 1234567", "quorlV1 syncNews 12345678",
          "quorlV1 syncLatest prod", "quorlV1 syncLatest prod 1234", "quorlV1 syncLatest  -:x",
          "quorlV1 syncLatest .. -:x", "quorlV1 syncLatestForce .. x",
          "quorlV1 syncLatestForce a/b x", "quorlV1 syncLatestForce C: x",
          "quorlV1 syncLatestForce NUL x", "quorlV1 unknown x", "m quorlV1 getNews "}) {
        EXPECT_EQ(serve(&files, request), Texts{}) << request;
    }
    EXPECT_EQ(files.calls, Texts{});
}

} // namespace
