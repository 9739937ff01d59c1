// The page-message handler both editors give the web view host: the page's
// "m" texts go to the news store, and its replies go back to the page.
#pragma once

struct WebViewHost;

// Serves one news request from the page of `host`. [web UI thread]
void news_page_handler(WebViewHost* host, const char* utf8);
