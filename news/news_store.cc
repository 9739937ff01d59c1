// The request core: decides what a request reads or writes and which
// replies it makes. File access goes through a NewsFileOps table so the
// same core runs on the per-user files and under the fuzzer.
#include "news/news_store.h"

#include <stdlib.h>
#include <string.h>

#include "news/news_files.h"
#include "news/news_path.h"

namespace {

struct Replier {
    NewsReplyFn reply;
    void* context;
};

const char kSidFile[] = "quorl-system";
const char kNewsFile[] = "quorl-news";
const char kLatestFile[] = "latest";

NewsSlice literal(const char* text) {
    return NewsSlice{text, strlen(text)};
}

NewsComponents file_only(const char* name) {
    return NewsComponents{{literal(name), {}}, 1};
}

NewsComponents under_identifier(NewsSlice identifier, const char* name) {
    return NewsComponents{{identifier, literal(name)}, 2};
}

// One allocation per reply: keyword + text. False when memory ran out.
bool send_joined(const Replier* to, const char* keyword, const char* text, size_t length) {
    size_t keyword_length = strlen(keyword);
    char* joined = (char*)malloc(keyword_length + length + 1);
    if (!joined)
        return false;
    memcpy(joined, keyword, keyword_length);
    if (length)
        memcpy(joined + keyword_length, text, length);
    joined[keyword_length + length] = 0;
    to->reply(to->context, joined);
    free(joined);
    return true;
}

bool sendText(const Replier* to, const char* keyword, const NewsText* text) {
    return send_joined(to, keyword, text->data, text->data ? text->length : 0);
}

void serve_init(const NewsFileOps* files, void* fctx, NewsSlice identifier, const Replier* to) {
    NewsComponents sid = file_only(kSidFile);
    NewsComponents news = file_only(kNewsFile);
    NewsComponents latest = under_identifier(identifier, kLatestFile);
    NewsText texts[3] = {};
    // An identifier that cannot name a folder has no "latest": counted as
    // missing, so the page still gets the other texts and the end mark.
    bool ok = files->readEntry(fctx, &sid, &texts[0]) == kNewsOk &&
              files->readEntry(fctx, &news, &texts[1]) == kNewsOk &&
              (!news_component_valid(identifier.data, identifier.length) ||
               files->readEntry(fctx, &latest, &texts[2]) == kNewsOk);
    if (ok) {
        static const char* const kKeywords[3] = {"quorlV1 initSid ", "quorlV1 initNews ",
                                                 "quorlV1 initLatest "};
        for (int i = 0; i < 3 && ok; i++) {
            if (texts[i].data)
                ok = sendText(to, kKeywords[i], &texts[i]);
        }
        if (ok)
            send_joined(to, "quorlV1 initDone ", nullptr, 0);
    }
    for (NewsText& text : texts)
        free(text.data);
}

void serve_get_news(const NewsFileOps* files, void* fctx, const Replier* to) {
    NewsComponents news = file_only(kNewsFile);
    NewsText text = {};
    if (files->readEntry(fctx, &news, &text) != kNewsOk)
        return;
    sendText(to, "quorlV1 getNews ", &text);
    free(text.data);
}

void serve_sync(const NewsFileOps* files, void* fctx, const NewsComponents* components,
                NewsSlice body, const char* conflict_reply, const Replier* to) {
    NewsSyncBody sync;
    if (!news_parse_sync_body(body, &sync))
        return;
    NewsText stored = {};
    if (files->syncEntry(fctx, components, &sync, &stored) == kNewsSyncConflict && stored.data) {
        sendText(to, conflict_reply, &stored);
    }
    free(stored.data);
}

} // namespace

void news_store_serve(const NewsFileOps* files, void* fctx, const char* text, size_t length,
                      NewsReplyFn reply, void* reply_context) {
    Replier to = {reply, reply_context};
    NewsRequest request = news_parse_request(text, length);
    NewsComponents news = file_only(kNewsFile);
    NewsComponents latest = under_identifier(request.identifier, kLatestFile);
    bool identifier_valid =
        news_component_valid(request.identifier.data, request.identifier.length);
    switch (request.kind) {
    case kNewsInit:
        serve_init(files, fctx, request.identifier, &to);
        break;
    case kNewsGetNews:
        serve_get_news(files, fctx, &to);
        break;
    case kNewsNewSid: {
        NewsComponents sid = file_only(kSidFile);
        files->writeEntry(fctx, request.body, &sid);
        break;
    }
    case kNewsSyncNews:
        serve_sync(files, fctx, &news, request.body, "quorlV1 syncNewsConflict ", &to);
        break;
    case kNewsSyncLatest:
        if (identifier_valid) {
            serve_sync(files, fctx, &latest, request.body, "quorlV1 syncLatestConflict ", &to);
        }
        break;
    case kNewsSyncNewsForce:
        files->writeEntry(fctx, request.body, &news);
        break;
    case kNewsSyncLatestForce:
        if (identifier_valid)
            files->writeEntry(fctx, request.body, &latest);
        break;
    case kNewsIgnored:
        break;
    }
}

void news_store(const char* request, NewsReplyFn reply, void* reply_context) {
    if (!request)
        return;
    news_store_serve(&kNewsUserFiles, nullptr, request, strlen(request), reply, reply_context);
}
