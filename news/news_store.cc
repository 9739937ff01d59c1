// The request core: decides what a request reads or writes and which
// replies it makes. File access goes through a NewsFileOps table so the
// same core runs on the per-user files and under the fuzzer.
#include "news/news_store.h"

#include <stdlib.h>
#include <string.h>

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

NewsComponents fileOnly(const char* name) {
    return NewsComponents{{literal(name), {}}, 1};
}

NewsComponents underIdentifier(NewsSlice identifier, const char* name) {
    return NewsComponents{{identifier, literal(name)}, 2};
}

// One allocation per reply: keyword + text. False when memory ran out.
bool sendJoined(const Replier* to, const char* keyword, const char* text, size_t length) {
    size_t keywordLength = strlen(keyword);
    char* joined = (char*)malloc(keywordLength + length + 1);
    if (!joined)
        return false;
    memcpy(joined, keyword, keywordLength);
    if (length)
        memcpy(joined + keywordLength, text, length);
    joined[keywordLength + length] = 0;
    to->reply(to->context, joined);
    free(joined);
    return true;
}

bool sendText(const Replier* to, const char* keyword, const NewsText* text) {
    return sendJoined(to, keyword, text->data, text->data ? text->length : 0);
}

void serveInit(const NewsFileOps* files, void* fctx, NewsSlice identifier, const Replier* to) {
    NewsComponents sid = fileOnly(kSidFile);
    NewsComponents news = fileOnly(kNewsFile);
    NewsComponents latest = underIdentifier(identifier, kLatestFile);
    NewsText texts[3] = {};
    // An identifier that cannot name a folder has no "latest": counted as
    // missing, so the page still gets the other texts and the end mark.
    bool ok = files->readEntry(fctx, &sid, &texts[0]) == kNewsOk &&
              files->readEntry(fctx, &news, &texts[1]) == kNewsOk &&
              (!newsComponentValid(identifier.data, identifier.length) ||
               files->readEntry(fctx, &latest, &texts[2]) == kNewsOk);
    if (ok) {
        static const char* const kKeywords[3] = {"quorlV1 initSid ", "quorlV1 initNews ",
                                                 "quorlV1 initLatest "};
        for (int i = 0; i < 3 && ok; i++) {
            if (texts[i].data)
                ok = sendText(to, kKeywords[i], &texts[i]);
        }
        if (ok)
            sendJoined(to, "quorlV1 initDone ", nullptr, 0);
    }
    for (NewsText& text : texts)
        free(text.data);
}

void serveGetNews(const NewsFileOps* files, void* fctx, const Replier* to) {
    NewsComponents news = fileOnly(kNewsFile);
    NewsText text = {};
    if (files->readEntry(fctx, &news, &text) != kNewsOk)
        return;
    sendText(to, "quorlV1 getNews ", &text);
    free(text.data);
}

void serveSync(const NewsFileOps* files, void* fctx, const NewsComponents* components,
               NewsSlice body, const char* conflictReply, const Replier* to) {
    NewsSyncBody sync;
    if (!newsParseSyncBody(body, &sync))
        return;
    NewsText stored = {};
    if (files->syncEntry(fctx, components, &sync, &stored) == kNewsSyncConflict && stored.data) {
        sendText(to, conflictReply, &stored);
    }
    free(stored.data);
}

} // namespace

void newsStoreServe(const NewsFileOps* files, void* fctx, const char* text, size_t length,
                    NewsReplyFn reply, void* replyContext) {
    Replier to = {reply, replyContext};
    NewsRequest request = newsParseRequest(text, length);
    NewsComponents news = fileOnly(kNewsFile);
    NewsComponents latest = underIdentifier(request.identifier, kLatestFile);
    bool identifierValid = newsComponentValid(request.identifier.data, request.identifier.length);
    switch (request.kind) {
    case kNewsInit:
        serveInit(files, fctx, request.identifier, &to);
        break;
    case kNewsGetNews:
        serveGetNews(files, fctx, &to);
        break;
    case kNewsNewSid: {
        NewsComponents sid = fileOnly(kSidFile);
        files->writeEntry(fctx, request.body, &sid);
        break;
    }
    case kNewsSyncNews:
        serveSync(files, fctx, &news, request.body, "quorlV1 syncNewsConflict ", &to);
        break;
    case kNewsSyncLatest:
        if (identifierValid) {
            serveSync(files, fctx, &latest, request.body, "quorlV1 syncLatestConflict ", &to);
        }
        break;
    case kNewsSyncNewsForce:
        files->writeEntry(fctx, request.body, &news);
        break;
    case kNewsSyncLatestForce:
        if (identifierValid)
            files->writeEntry(fctx, request.body, &latest);
        break;
    case kNewsIgnored:
        break;
    }
}
