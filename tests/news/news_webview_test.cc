// The store behind a real web view host with the stand-in WebView2: page
// "m" messages reach it on the UI thread and its replies reach the page.
// The two functions at the top are the glue the editors use.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "news/news_store.h"
#include "tests/news/news_test_appdata.h"
#include "tests/support/webview2/wv2_stub_hooks.h"
#include "webui/web_view_host.h"

namespace {

void reply_to_page(void* host, const char* text) { // [web UI thread]
    webview::sendText((WebViewHost*)host, text);
}

void news_handler(WebViewHost* host, const char* text) { // [web UI thread]
    news_store(text, reply_to_page, host);
}

// Looks up a hook of the stand-in loader the host loaded.
template <class Fn> Fn hook(WebViewHost* host, const char* name) {
    return (Fn)(void*)GetProcAddress(host->loaderModule, name);
}

std::string exe_folder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

const char* loaderFolder(void* folder) {
    return ((std::string*)folder)->c_str();
}
int32_t ignore_edit(void*, uint32_t, float) {
    return 0;
}

std::string utf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0,
                                     nullptr, nullptr);
    std::string out((size_t)length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], length, nullptr,
                        nullptr);
    return out;
}

// Waits (up to ten seconds) for `count` texts posted to the page.
std::vector<std::string> page_texts(WebViewHost* host, int count) {
    auto read = hook<Wv2StubPageMessageFn>(host, "wv2stub_page_message");
    std::vector<std::string> texts;
    if (!read)
        return texts;
    for (int waited = 0; waited < 1000 && read(host->webWindow, -1, nullptr, 0) < count; waited++) {
        Sleep(10);
    }
    int posted = read(host->webWindow, -1, nullptr, 0);
    for (int i = 0; i < posted; i++) {
        wchar_t text[512];
        read(host->webWindow, i, text, 512);
        texts.push_back(utf8(text));
    }
    return texts;
}

TEST(NewsThroughWebView, PageRequestsReachTheStoreAndRepliesReachThePage) {
    PrivateAppData app_data;
    ASSERT_TRUE(private_app_data_create(&app_data, "webview"));
    std::string folder = exe_folder();
    WebViewCallbacks callbacks = {&folder,     "vst3",      loaderFolder, loaderFolder,
                                  ignore_edit, ignore_edit, ignore_edit};
    WebViewHost* host = webview::create(false, nullptr, &callbacks, news_handler, 700, 677, 36);
    ASSERT_NE(host, nullptr);
    auto post = hook<Wv2StubPostFn>(host, "wv2stub_post_page_message");
    ASSERT_NE(post, nullptr);

    EXPECT_EQ(post(host->webWindow, L"m quorlV1 syncNews -:h\u00e9llo\nworld", 1), 0);
    EXPECT_EQ(post(host->webWindow, L"m quorlV1 syncNews -:again", 1), 0);
    EXPECT_EQ(post(host->webWindow, L"m quorlV1 init prod", 1), 0);
    EXPECT_EQ(post(host->webWindow, L"x quorlV1 getNews ", 1), 0); // not an "m" message
    EXPECT_EQ(post(host->webWindow, L"m quorlV1 getNews ", 1), 0);
    std::vector<std::string> texts = page_texts(host, 4);
    EXPECT_EQ(texts, (std::vector<std::string>{"m quorlV1 syncNewsConflict h\xc3\xa9llo\nworld",
                                               "m quorlV1 initNews h\xc3\xa9llo\nworld",
                                               "m quorlV1 initDone ",
                                               "m quorlV1 getNews h\xc3\xa9llo\nworld"}));
    webview::destroy(host);

    std::string stored;
    EXPECT_TRUE(read_raw_file(news_file_path(&app_data, {L"quorl-news"}), &stored));
    EXPECT_EQ(stored, "h\xc3\xa9llo\r\nworld");
    private_app_data_remove(&app_data);
}

} // namespace
