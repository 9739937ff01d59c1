// The news requests of the editor page, taken apart without touching any
// file. Everything here works on byte ranges that need not be terminated,
// and never reads outside them.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A byte range inside the request text (not owned, not terminated).
struct NewsSlice {
    const char* data;
    size_t length;
};

enum NewsRequestKind {
    kNewsIgnored = 0,     // matches no keyword, or is malformed
    kNewsInit,            // identifier = rest of the text
    kNewsGetNews,         // rest ignored
    kNewsNewSid,          // body = new Sid text
    kNewsSyncNews,        // body = sync body
    kNewsSyncLatest,      // identifier + body (sync body)
    kNewsSyncNewsForce,   // body = new news text
    kNewsSyncLatestForce, // identifier + body (new latest text)
};

struct NewsRequest {
    NewsRequestKind kind;
    NewsSlice identifier; // init, syncLatest, syncLatestForce
    NewsSlice body;       // everything else that carries text
};

// Matches the keywords in their fixed order (the first match wins) and
// splits off the identifier where the request has one. A syncLatest or
// syncLatestForce text without a space after its identifier is ignored.
// [any thread]
NewsRequest news_parse_request(const char* text, size_t length);

// A conditional write: either "expect the file empty or missing" ("-" and a
// separator), or "expect these eight characters at its start".
struct NewsSyncBody {
    bool expect_empty;
    NewsSlice tag;  // eight characters, unused when expect_empty
    NewsSlice text; // the new text
};

// Splits a sync body; the separator after "-" or after the tag is skipped
// whatever it is. Returns false for a body too short to hold its tag and
// separator, which the store ignores. [any thread]
bool news_parse_sync_body(NewsSlice body, NewsSyncBody* out);

// Whether a sync may replace a stored text of `stored_size` bytes whose first
// characters (up to eight, fewer when the file is shorter) are `prefix`.
// An empty or missing file matches any expectation. [any thread]
bool news_sync_accepts(const NewsSyncBody* body, int64_t stored_size, const char* prefix,
                       size_t prefix_length);
