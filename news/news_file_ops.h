// What the news store's request core reads and writes, and how it reaches
// the files: the entries' path components, the texts read, and the table of
// file operations (the per-user files in news_files.h; tests and the fuzz
// target give their own).
#pragma once
#include <stddef.h>

#include "news/news_request.h"

// The UTF-8 path components of one entry below the base folder: the file
// name alone, or an identifier and the file name. Not terminated.
struct NewsComponents {
    NewsSlice part[2];
    size_t count;
};

// A text read from an entry: heap-allocated (free()), terminated after
// `length` bytes. `data` is null when the file is missing.
struct NewsText {
    char* data;
    size_t length;
};

enum NewsStatus { kNewsOk = 0, kNewsFailed = -1 };

enum NewsSyncOutcome {
    kNewsSyncWritten = 0,  // the new text replaced the stored one
    kNewsSyncConflict = 1, // the stored text (complete) came back instead
    kNewsSyncFailed = -1,  // nothing written and nothing to report
};

// How the request core reaches the files. No slot may reach a path outside
// the base folder.
struct NewsFileOps {
    // Reads a whole entry into `out` (data null when the file is missing).
    // [web UI thread]
    NewsStatus (*readEntry)(void* context, const NewsComponents* components, NewsText* out);
    // Replaces the entry's content, creating its folders; silent on failure.
    // [web UI thread]
    void (*writeEntry)(void* context, NewsSlice text, const NewsComponents* components);
    // Conditional write under one lock; on a conflict `stored` receives the
    // whole stored text. [web UI thread]
    NewsSyncOutcome (*syncEntry)(void* context, const NewsComponents* components,
                                 const NewsSyncBody* body, NewsText* stored);
};
