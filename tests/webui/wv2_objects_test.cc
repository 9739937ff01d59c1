// Our WebView2 COM objects as the runtime sees them: reached through raw
// table slots, with COM reference and QueryInterface rules, and the address
// helpers of the navigation policy.
#include "webui/external_address.h"
#include "webui/wv2_environment_options.h"
#include "webui/wv2_handler.h"

#include <stdlib.h>

#include <gtest/gtest.h>

namespace {

// Calls slot `slot` of the interface at `object` the way the runtime does.
template <class Fn> Fn slot_of(void* object, int slot) {
    void** table = *(void***)object;
    return (Fn)table[slot];
}

TEST(Wv2Options, SlotsAnswerAsPublished) {
    WV2EnvironmentOptions* o = wv2_environment_options_create();
    ASSERT_NE(nullptr, o);
    ICoreWebView2EnvironmentOptions* i = o;
    typedef HRESULT (*GetText)(void*, LPWSTR*);
    typedef HRESULT (*PutText)(void*, LPCWSTR);
    typedef HRESULT (*GetBool)(void*, BOOL*);
    LPWSTR text = (LPWSTR)1;
    EXPECT_EQ(S_OK, slot_of<GetText>(i, 7)(i, &text)); // get_TargetCompatibleBrowserVersion
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ(L"131.0.2903.40", text);
    CoTaskMemFree(text);
    text = (LPWSTR)1;
    EXPECT_EQ(S_OK, slot_of<GetText>(i, 3)(i, &text)); // arguments unset: null, S_OK
    EXPECT_EQ(nullptr, text);
    EXPECT_EQ(S_OK, slot_of<PutText>(i, 4)(i, L"--a --b"));
    EXPECT_EQ(S_OK, slot_of<GetText>(i, 3)(i, &text));
    EXPECT_STREQ(L"--a --b", text);
    EXPECT_NE((void*)text, (void*)o->additional_browser_arguments); // a fresh copy
    CoTaskMemFree(text);
    EXPECT_EQ(S_OK, slot_of<PutText>(i, 4)(i, nullptr));
    EXPECT_EQ(nullptr, o->additional_browser_arguments);
    EXPECT_EQ(E_POINTER, slot_of<GetText>(i, 5)(i, nullptr)); // get_Language
    BOOL sso = TRUE;
    EXPECT_EQ(S_OK, slot_of<GetBool>(i, 9)(i, &sso));
    EXPECT_FALSE(sso);
    EXPECT_EQ(E_POINTER, slot_of<GetBool>(i, 9)(i, nullptr));
    EXPECT_EQ(0u, o->Release());
}

TEST(Wv2Options, QueryInterfaceAndReferenceCounts) {
    WV2EnvironmentOptions* o = wv2_environment_options_create();
    void* out = (void*)1;
    EXPECT_EQ(S_OK, o->QueryInterface(wv2iid::kEnvironmentOptions, &out));
    EXPECT_EQ((void*)static_cast<ICoreWebView2EnvironmentOptions*>(o), out);
    EXPECT_EQ(2u, o->reference_count.load());
    const GUID options7 = {
        0xC48D539F, 0xE39F, 0x441C, {0xAE, 0x68, 0x1F, 0x66, 0xE5, 0x70, 0xBD, 0xC5}};
    out = (void*)1;
    EXPECT_EQ(E_NOINTERFACE, o->QueryInterface(options7, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, o->QueryInterface(wv2iid::kEnvironmentOptions, nullptr));
    EXPECT_EQ(3u, o->AddRef());
    EXPECT_EQ(2u, o->Release());
    EXPECT_EQ(1u, o->Release());
    EXPECT_EQ(0u, o->Release());
}

TEST(Wv2Handler, EveryInterfaceAnswersTheSameObject) {
    WV2Handler* h = wv2_handler_create(nullptr, L"C:\\x\\index.html");
    ASSERT_NE(nullptr, h);
    EXPECT_STREQ(L"C:\\x\\index.html", h->navigation_target);
    const GUID* iids[] = {
        &wv2iid::kEnvironmentCompletedHandler, &wv2iid::kControllerCompletedHandler,
        &wv2iid::kWebMessageReceivedHandler,   &wv2iid::kNavigationStartingHandler,
        &wv2iid::kNewWindowRequestedHandler,   &wv2iid::kProcessFailedHandler};
    void* expected[] = {static_cast<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*>(h),
                        static_cast<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*>(h),
                        static_cast<ICoreWebView2WebMessageReceivedEventHandler*>(h),
                        static_cast<ICoreWebView2NavigationStartingEventHandler*>(h),
                        static_cast<ICoreWebView2NewWindowRequestedEventHandler*>(h),
                        static_cast<ICoreWebView2ProcessFailedEventHandler*>(h)};
    for (int from = 0; from < 6; ++from) {
        for (int to = 0; to < 6; ++to) {
            void* out = nullptr;
            // Slot 0 of each interface's own table, as WebView2 would call it.
            typedef HRESULT (*Query)(void*, REFIID, void**);
            ASSERT_EQ(S_OK, slot_of<Query>(expected[from], 0)(expected[from], *iids[to], &out));
            EXPECT_EQ(expected[to], out);
        }
    }
    EXPECT_EQ(37u, h->reference_count.load());
    void* out = (void*)1;
    EXPECT_EQ(E_NOINTERFACE, h->QueryInterface(wv2iid::kController, &out));
    EXPECT_EQ(nullptr, out);
    typedef ULONG (*Release)(void*);
    for (ULONG left = 36; left > 0; --left)
        EXPECT_EQ(left, slot_of<Release>(expected[left % 6], 2)(expected[left % 6]));
    EXPECT_EQ(0u, h->Release());
}

TEST(Wv2Navigation, OnlyExactFilePrefixIsOwn) {
    EXPECT_TRUE(wv2_is_own_address(L"file:///C:/a/index.html"));
    EXPECT_TRUE(wv2_is_own_address(L"file:"));
    EXPECT_FALSE(wv2_is_own_address(L"FILE:///C:/a"));
    EXPECT_FALSE(wv2_is_own_address(L"File:///C:/a"));
    EXPECT_FALSE(wv2_is_own_address(L"fil"));
    EXPECT_FALSE(wv2_is_own_address(L"https://example.com/file:"));
    EXPECT_FALSE(wv2_is_own_address(L""));
    EXPECT_FALSE(wv2_is_own_address(nullptr));
}

TEST(Wv2Navigation, OutsideCommandQuotesTheAddress) {
    wchar_t* c = external_address_command(L"https://a.example/?q=1");
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ(L"rundll32 url.dll,FileProtocolHandler \"https://a.example/?q=1\"", c);
    EXPECT_EQ(37u, wcslen(L"rundll32 url.dll,FileProtocolHandler "));
    free(c);
    c = external_address_command(L"");
    EXPECT_STREQ(L"rundll32 url.dll,FileProtocolHandler \"\"", c);
    free(c);
    c = external_address_command(L"\"\"");
    EXPECT_STREQ(L"rundll32 url.dll,FileProtocolHandler \"%22%22\"", c);
    free(c);
}

} // namespace
