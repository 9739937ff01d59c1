// The UI-thread side of the page protocol: value and text messages to the
// page, and the dispatch of the page's messages.
#include "webui/page_message_parse.h"
#include "webui/web_view_internal.h"

#include <stdlib.h>

namespace {

HRESULT post_to_page(WebViewHost* host, const wchar_t* text) {
    if (!host->controller)
        return E_FAIL;
    ICoreWebView2* web_view = NULL;
    HRESULT hr = host->controller->get_CoreWebView2(&web_view);
    if (FAILED(hr) || !web_view)
        return FAILED(hr) ? hr : E_FAIL;
    hr = web_view->PostWebMessageAsString(text);
    web_view->Release();
    return hr;
}

void put_hex8(wchar_t* out, uint32_t v) {
    static const char digits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; --i, v >>= 4)
        out[i] = (wchar_t)digits[v & 15];
}

// "s %08x %08x" without printf: no allocation, 19 characters.
HRESULT post_page_value(WebViewHost* host, uint32_t index, float value) {
    wchar_t text[20];
    text[0] = L's';
    text[1] = L' ';
    put_hex8(text + 2, index);
    text[10] = L' ';
    put_hex8(text + 11, web_view_float_bits(value));
    text[19] = 0;
    return post_to_page(host, text);
}

// The page's gestures are tracked so that one it leaves open (it reloads in
// the middle of a drag) can be ended for it.
uint64_t gesture_bit(uint32_t index) {
    return index < 64 ? (uint64_t)1 << index : 0;
}

int32_t edit_begin(void* c, uint32_t i, float v) {
    WebViewHost* h = (WebViewHost*)c;
    h->open_gestures |= gesture_bit(i);
    return h->dispatch.beginEdit(h, i, v);
}
int32_t edit_set(void* c, uint32_t i, float v) {
    WebViewHost* h = (WebViewHost*)c;
    return h->dispatch.setEdit(h, i, v);
}
int32_t edit_end(void* c, uint32_t i, float v) {
    WebViewHost* h = (WebViewHost*)c;
    h->open_gestures &= ~gesture_bit(i);
    return h->dispatch.endEdit(h, i, v);
}
void page_text(void* c, const char* utf8) {
    WebViewHost* h = (WebViewHost*)c;
    h->dispatch.handler(h, utf8);
}
int32_t cached_value(void* c, uint32_t i, float v) {
    return post_page_value((WebViewHost*)c, i, v); // a failed post skips this index
}

} // namespace

int32_t web_view_send_value(WebViewHost* host, uint32_t index, float value) {
    if (index >= host->dispatch.parameterCount)
        return -1;
    host->dispatch.valueCache[index] = value;
    return post_page_value(host, index, value);
}

int32_t web_view_send_text(WebViewHost* host, const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, NULL, 0);
    if (n <= 0)
        return -1;
    wchar_t* message = (wchar_t*)malloc(((size_t)n + 2) * sizeof(wchar_t));
    if (!message)
        return -1;
    message[0] = L'm';
    message[1] = L' ';
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, message + 2, n);
    HRESULT hr = post_to_page(host, message);
    free(message);
    return hr;
}

void web_view_end_open_gestures(WebViewHost* host) {
    for (uint32_t i = 0; i < 64 && host->open_gestures != 0; ++i) {
        if (host->open_gestures & gesture_bit(i))
            edit_end(host, i, host->dispatch.valueCache[i]);
    }
}

void web_view_dispatch_page(WebViewHost* host, const char* utf8, size_t length) {
    PageDispatchTable table;
    table.context = host;
    table.edit[0] = edit_begin;
    table.edit[1] = edit_set;
    table.edit[2] = edit_end;
    table.text = host->dispatch.handler ? page_text : NULL;
    table.post_value = cached_value;
    table.valueCache = host->dispatch.valueCache;
    table.parameterCount = host->dispatch.parameterCount;
    page_message_dispatch(&table, utf8, length);
}
