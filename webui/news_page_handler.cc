#include "webui/news_page_handler.h"

#include "news/news_store.h"
#include "webui/web_view.h"

// The store's replies are made while it serves the request, on the same
// thread, so the host is still alive. [web UI thread]
static void replyToPage(void* host, const char* text) {
    webview::sendText((WebViewHost*)host, text);
}

void newsPageHandler(WebViewHost* host, const char* utf8) {
    if (host == nullptr || utf8 == nullptr)
        return;
    newsStore(utf8, replyToPage, host);
}
