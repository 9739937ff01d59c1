#include "news/news_request.h"

#include <string.h>

namespace {

const size_t kTagLength = 8;

struct Keyword {
    const char* text;
    NewsRequestKind kind;
};

// Order matters: the first keyword that starts the text wins.
const Keyword kKeywords[] = {
    {"quorlV1 init ", kNewsInit},
    {"quorlV1 getNews ", kNewsGetNews},
    {"quorlV1 newSid ", kNewsNewSid},
    {"quorlV1 syncNews ", kNewsSyncNews},
    {"quorlV1 syncLatest ", kNewsSyncLatest},
    {"quorlV1 syncNewsForce ", kNewsSyncNewsForce},
    {"quorlV1 syncLatestForce ", kNewsSyncLatestForce},
};

bool starts_with(const char* text, size_t length, const char* keyword, size_t keyword_length) {
    return length >= keyword_length && memcmp(text, keyword, keyword_length) == 0;
}

// Identifier up to the first space, body after it. False without a space.
bool split_identifier(NewsSlice rest, NewsRequest* request) {
    const void* space = memchr(rest.data, ' ', rest.length);
    if (!space)
        return false;
    size_t at = (size_t)((const char*)space - rest.data);
    request->identifier = NewsSlice{rest.data, at};
    request->body = NewsSlice{rest.data + at + 1, rest.length - at - 1};
    return true;
}

} // namespace

NewsRequest news_parse_request(const char* text, size_t length) {
    NewsRequest request = {kNewsIgnored, {nullptr, 0}, {nullptr, 0}};
    if (!text)
        return request;
    for (const Keyword& keyword : kKeywords) {
        size_t keyword_length = strlen(keyword.text);
        if (!starts_with(text, length, keyword.text, keyword_length))
            continue;
        NewsSlice rest = {text + keyword_length, length - keyword_length};
        switch (keyword.kind) {
        case kNewsInit:
            request.identifier = rest;
            break;
        case kNewsSyncLatest:
        case kNewsSyncLatestForce:
            if (!split_identifier(rest, &request))
                return request;
            break;
        default:
            request.body = rest;
            break;
        }
        request.kind = keyword.kind;
        return request;
    }
    return request;
}

bool news_parse_sync_body(NewsSlice body, NewsSyncBody* out) {
    if (body.length >= 1 && body.data[0] == '-') {
        if (body.length < 2)
            return false;
        *out = NewsSyncBody{true, {body.data, 0}, {body.data + 2, body.length - 2}};
        return true;
    }
    if (body.length < kTagLength + 1)
        return false;
    *out = NewsSyncBody{
        false, {body.data, kTagLength}, {body.data + kTagLength + 1, body.length - kTagLength - 1}};
    return true;
}

bool news_sync_accepts(const NewsSyncBody* body, int64_t stored_size, const char* prefix,
                       size_t prefix_length) {
    if (stored_size == 0)
        return true;
    if (body->expect_empty)
        return false;
    return prefix_length == kTagLength && memcmp(prefix, body->tag.data, kTagLength) == 0;
}
