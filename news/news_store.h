// The news store: a few per-user texts (the Sid text, the news text and one
// "latest" text per product identifier) kept as files in the user's data
// folder (news_files.h), shared by every plug-in instance in every process,
// and the answers to the editor page's "quorlV1" requests about them.
//
// The store sits below the web UI layer and knows nothing of it. Its entry
// takes the request text and a reply function with its context; the editors
// plug the web view host in as that pair with a few lines of glue:
//
//     static void reply_to_page(void* host, const char* text) {
//         webview::sendText((WebViewHost*)host, text);  // [web UI thread]
//     }
//     static void news_handler(WebViewHost* host, const char* text) {
//         news_store(text, reply_to_page, host);        // the PageMessageHandler
//     }
//
// Requests are served on the thread that calls the entry (the web view
// host's UI thread); every request opens, locks, uses and closes its file,
// so nothing is kept between requests. Failures are silent: no reply is made
// for them.
//
// Malformed requests are ignored without touching a file: a syncLatest or
// syncLatestForce without a space after the identifier, a sync body shorter
// than "-" or its tag plus the separator, and an identifier that could not
// name one folder inside the base folder (empty, "..", holding a slash,
// backslash or colon, a device name; see news_path.h). For reads such an
// identifier, like a missing base folder, counts as a missing file, so init still
// answers with the other texts and "quorlV1 initDone ".
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "news/news_file_ops.h"
#include "news/news_request.h"

// Receives one complete reply text (UTF-8, terminated, valid only during
// the call). [web UI thread]
typedef void (*NewsReplyFn)(void* context, const char* text);

// Serves one request of `length` bytes (not necessarily terminated) with
// the given files, sending replies through `reply`. [web UI thread]
void news_store_serve(const NewsFileOps* files, void* files_context, const char* request,
                      size_t length, NewsReplyFn reply, void* reply_context);

// The store's entry: serves one terminated UTF-8 request from the page with
// the per-user files. [web UI thread]
void news_store(const char* request, NewsReplyFn reply, void* reply_context);
