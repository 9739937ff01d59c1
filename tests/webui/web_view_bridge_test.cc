// The page protocol end to end: values and texts to the page, the page's
// gestures, "g" and "m" messages, message conversion, and the navigation
// policy with the outside-address command.
#include "tests/webui/web_view_fixture.h"
#include "webui/external_address.h"
#include "webui/wv2_handler.h"

#include <stdlib.h>

#include <gtest/gtest.h>

namespace {

struct TextLog {
    std::mutex lock;
    std::vector<std::string> texts;
    std::vector<const char*> pointers;
    std::vector<DWORD> threads;
    std::string reply;
} g_texts;

void page_text(WebViewHost* host, const char* utf8) {
    {
        std::lock_guard<std::mutex> guard(g_texts.lock);
        g_texts.texts.push_back(utf8);
        g_texts.pointers.push_back(utf8);
        g_texts.threads.push_back(GetCurrentThreadId());
    }
    if (!g_texts.reply.empty())
        webview::sendText(host, g_texts.reply.c_str());
}

struct LaunchLog {
    std::mutex lock;
    std::vector<std::wstring> commands;
} g_launches;

void record_launch(wchar_t* command) {
    std::lock_guard<std::mutex> guard(g_launches.lock);
    g_launches.commands.push_back(command);
}

class BridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(local_stub().configure);
        local_stub().configure(kWv2StepNone, 6, 1);
        module.loaderFolder = module.webRoot = exe_folder();
        {
            std::lock_guard<std::mutex> guard(g_texts.lock);
            g_texts.texts.clear();
            g_texts.pointers.clear();
            g_texts.threads.clear();
            g_texts.reply.clear();
        }
        g_launches.commands.clear();
        external_address_set_launcher(record_launch);
        WebViewCallbacks cb = module.callbacks();
        host = webview::create(false, NULL, &cb, page_text, 700, 677, 36);
        ASSERT_NE(nullptr, host);
        module.host = host;
    }
    void TearDown() override {
        if (host)
            webview::destroy(host);
        external_address_set_launcher(nullptr);
    }
    int results() { return stub().result(host->webWindow, -1, nullptr); }
    Wv2StubResult result_at(int i) {
        Wv2StubResult r{};
        stub().result(host->webWindow, i, &r);
        return r;
    }
    // Sends a page message and waits until the host's handler has returned.
    Wv2StubResult page(const std::wstring& text, int is_string = 1) {
        int before = results();
        EXPECT_EQ(0, stub().post_page_message(host->webWindow, text.c_str(), is_string));
        EXPECT_TRUE(pump_until([&] { return results() > before; }));
        return result_at(before);
    }
    Wv2StubResult navigate(const std::wstring& uri, int newWindow) {
        int before = results();
        EXPECT_EQ(0, stub().navigate(host->webWindow, uri.c_str(), newWindow));
        EXPECT_TRUE(pump_until([&] { return results() > before; }));
        return result_at(before);
    }
    const StubHooks& stub() { return local_stub(); }
    TestModule module;
    WebViewHost* host = nullptr;
};

TEST_F(BridgeTest, SetParameterPostsIndexAndBitPatternAndRejectsBadIndex) {
    EXPECT_EQ(0, webview::setParameter(host, 33, 0.5f));
    auto posts = page_posts(stub(), host);
    ASSERT_EQ(1u, posts.size());
    EXPECT_EQ(L"s 00000021 3f000000", posts[0]);
    EXPECT_LT(webview::setParameter(host, 36, 1.0f), 0);
    EXPECT_EQ(1u, page_posts(stub(), host).size());
}

TEST_F(BridgeTest, GestureReachesModuleOnHostThreadAndGetAllReportsCache) {
    for (uint32_t i = 0; i < 36; ++i)
        webview::setParameter(host, i, (float)i);
    size_t before = page_posts(stub(), host).size();
    EXPECT_EQ(S_OK, page(L"b 5 3f800000").hr);
    ASSERT_EQ(1u, module.edits.size());
    EXPECT_EQ(0, module.edits[0].kind);
    EXPECT_EQ(5u, module.edits[0].index);
    EXPECT_EQ(0x3f800000u, module.edits[0].bits);
    EXPECT_EQ(GetCurrentThreadId(), module.edits[0].thread);

    page(L"g");
    auto posts = page_posts(stub(), host);
    ASSERT_EQ(before + 36, posts.size());
    for (uint32_t i = 0; i < 36; ++i)
        EXPECT_EQ(value_message(i, i == 5 ? 1.0f : (float)i), posts[before + i]);
}

TEST_F(BridgeTest, MalformedAndUnknownMessagesChangeNothing) {
    for (const wchar_t* text : {L"b 24 3f800000", L"b", L"s 5", L"e zz 1", L"x 1 2", L"", L"g"}) {
        page(text);
    }
    EXPECT_TRUE(module.edits.empty());
    // Only the final "g" answered, with nothing stored by the bad gestures.
    auto posts = page_posts(stub(), host);
    ASSERT_EQ(36u, posts.size());
    EXPECT_EQ(value_message(5, 0.0f), posts[5]);
}

TEST_F(BridgeTest, TextMessagesReachHandlerOnUiThreadAndRepliesGoBack) {
    g_texts.reply = "quorlV1 reply \xc3\xbc";
    page(L"m quorlV1 news");
    std::lock_guard<std::mutex> guard(g_texts.lock);
    ASSERT_EQ(1u, g_texts.texts.size());
    EXPECT_EQ("quorlV1 news", g_texts.texts[0]);
    EXPECT_EQ(host->uiThreadId, g_texts.threads[0]);
    auto posts = page_posts(stub(), host);
    ASSERT_EQ(1u, posts.size());
    EXPECT_EQ(L"m quorlV1 reply \u00fc", posts[0]);
}

TEST_F(BridgeTest, SendTextFromHostThreadAndInvalidUtf8SendsNothing) {
    EXPECT_EQ(0, webview::sendText(host, "hello"));
    EXPECT_LT(webview::sendText(host, "bad \xc3("), 0);
    auto posts = page_posts(stub(), host);
    ASSERT_EQ(1u, posts.size());
    EXPECT_EQ(L"m hello", posts[0]);
}

TEST_F(BridgeTest, ShortMessagesUseInnerBufferLongOnesAreAllocated) {
    WV2Handler* handler = static_cast<WV2Handler*>(
        (ICoreWebView2WebMessageReceivedEventHandler*)stub().message_handler(host->webWindow));
    ASSERT_NE(nullptr, handler);
    const char* inner = handler->message_buffer;
    std::wstring fits = L"m " + std::wstring(1021, L'a');     // 1023 bytes + terminator
    std::wstring longer = L"m " + std::wstring(1022, L'b');   // 1024 bytes + terminator
    std::wstring wide = L"m " + std::wstring(600, L'\u00e9'); // 1202 UTF-8 bytes
    EXPECT_EQ(S_OK, page(fits).hr);
    EXPECT_EQ(S_OK, page(longer).hr);
    EXPECT_EQ(S_OK, page(wide).hr);
    std::lock_guard<std::mutex> guard(g_texts.lock);
    ASSERT_EQ(3u, g_texts.texts.size());
    EXPECT_EQ(std::string(1021, 'a'), g_texts.texts[0]);
    EXPECT_EQ(inner + 2, g_texts.pointers[0]);
    EXPECT_EQ(std::string(1022, 'b'), g_texts.texts[1]);
    EXPECT_NE(inner + 2, g_texts.pointers[1]);
    std::string e9;
    for (int i = 0; i < 600; ++i)
        e9 += "\xc3\xa9";
    EXPECT_EQ(e9, g_texts.texts[2]);
}

TEST_F(BridgeTest, NonStringMessagesAreRejected) {
    Wv2StubResult r = page(L"{\"a\":\"b 5 3f800000\"}", 0);
    EXPECT_EQ(E_INVALIDARG, r.hr);
    r = page(L"b 5 3f800000", 0);
    EXPECT_EQ(E_INVALIDARG, r.hr);
    EXPECT_TRUE(module.edits.empty());
    EXPECT_TRUE(page_posts(stub(), host).empty());
}

TEST_F(BridgeTest, OnlyFileAddressesStayInsideTheWebView) {
    Wv2StubResult r = navigate(L"file:///C:/plugin/Resources/index.html", 0);
    EXPECT_EQ(S_OK, r.hr);
    EXPECT_FALSE(r.stopped);
    r = navigate(L"file:///C:/plugin/Resources/help.html", 1);
    EXPECT_FALSE(r.stopped); // left to WebView2's own handling
    EXPECT_TRUE(g_launches.commands.empty());

    EXPECT_TRUE(navigate(L"https://zarvosonic.example/news?a=1&b=2", 0).stopped);
    EXPECT_TRUE(navigate(L"FILE:///C:/Windows/system32/calc.exe", 0).stopped);
    EXPECT_TRUE(navigate(L"mailto:someone@example.com", 1).stopped);
    EXPECT_TRUE(navigate(L"https://x.example/\" \"C:\\evil.exe", 1).stopped);
    std::lock_guard<std::mutex> guard(g_launches.lock);
    ASSERT_EQ(4u, g_launches.commands.size());
    EXPECT_EQ(L"rundll32 url.dll,FileProtocolHandler \"https://zarvosonic.example/news?a=1&b=2\"",
              g_launches.commands[0]);
    EXPECT_EQ(L"rundll32 url.dll,FileProtocolHandler \"FILE:///C:/Windows/system32/calc.exe\"",
              g_launches.commands[1]);
    EXPECT_EQ(L"rundll32 url.dll,FileProtocolHandler \"mailto:someone@example.com\"",
              g_launches.commands[2]);
    // A quote in the address cannot end the quoting and add an argument.
    EXPECT_EQ(L"rundll32 url.dll,FileProtocolHandler \"https://x.example/%22 %22C:\\evil.exe\"",
              g_launches.commands[3]);
}

} // namespace
