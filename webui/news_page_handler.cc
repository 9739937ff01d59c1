#include "webui/news_page_handler.h"

#include "news/news_store.h"
#include "webui/web_view.h"

// The store's replies are made while it serves the request, on the same
// thread, so the host is still alive. [web UI thread]
static void reply_to_page(void* host, const char* text) {
    webview::sendText((WebViewHost*)host, text);
}

void news_page_handler(WebViewHost* host, const char* utf8) {
    if (host == nullptr || utf8 == nullptr)
        return;
    news_store(utf8, reply_to_page, host);
}
