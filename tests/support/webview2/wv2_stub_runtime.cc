// What the stand-in WebView2Loader.dll and the stand-in runtime client
// library share: environment creation behind their entries, the delivery of
// page events and process failures, and the test hooks.
#include "tests/support/webview2/wv2_stub_objects.h"

#include <string.h>

CRITICAL_SECTION g_wv2StubLock;

void wv2_stub_complete(UINT message, LPARAM lParam);
void wv2_stub_post_environment(StubEnvironment* env, IUnknown* handler, HRESULT error);

namespace {

StubConfig g_config = {kWv2StepNone, 6, 1};
std::vector<StubWebView*> g_webViews; // under g_wv2StubLock
// Each copy of the stand-in registers its window class under its own module,
// so a loader and a client library in one process keep apart.
const wchar_t kWindowClass[] = L"OkaWv2StubWindow";
HINSTANCE g_instance;

// Environment requests never answered (kWv2StepNeverComplete), with the
// thread that made them; dropped when that thread ends. Under g_wv2StubLock.
struct Unanswered {
    DWORD thread;
    IUnknown* handler;
};
std::vector<Unanswered> g_unanswered;
wchar_t g_lastUserDataFolder[MAX_PATH]; // under g_wv2StubLock
char g_lastWindowClass[64];
DWORD g_lastThread;

// The caller's web window is still a top-level window of this thread when the
// environment is created: remember its class so tests can check it is gone.
BOOL CALLBACK find_web_window(HWND window, LPARAM) {
    char name[64];
    if (GetClassNameA(window, name, sizeof name) && name[0] == 'c') {
        memcpy(g_lastWindowClass, name, sizeof name);
        return FALSE;
    }
    return TRUE;
}

void remember_start(PCWSTR userDataFolder) {
    EnterCriticalSection(&g_wv2StubLock);
    g_lastUserDataFolder[0] = 0;
    g_lastWindowClass[0] = 0;
    g_lastThread = GetCurrentThreadId();
    if (userDataFolder)
        wcsncpy(g_lastUserDataFolder, userDataFolder, MAX_PATH - 1);
    EnumThreadWindows(GetCurrentThreadId(), find_web_window, 0);
    LeaveCriticalSection(&g_wv2StubLock);
}

const GUID kEnvironmentOptions7 = {
    0xC48D539F, 0xE39F, 0x441C, {0xAE, 0x68, 0x1F, 0x66, 0xE5, 0x70, 0xBD, 0xC5}};

struct PageEvent {
    HWND parent;
    UINT kind;
    std::wstring text;
    int flag; // page message: is a string; navigation: new-window request
};

void record(StubWebView* w, HRESULT hr, int stopped) {
    EnterCriticalSection(&g_wv2StubLock);
    w->results.push_back(Wv2StubResult{hr, stopped});
    LeaveCriticalSection(&g_wv2StubLock);
}

void deliver(StubWebView* w, const PageEvent& e) {
    if (e.kind == kStubProcessFailed) {
        if (!w->process_failed_handler)
            return;
        IUnknown* args = new StubProcessFailedArgs;
        HRESULT hr =
            w->process_failed_handler->Invoke(w, (ICoreWebView2ProcessFailedEventArgs*)args);
        record(w, hr, 0);
        args->Release();
    } else if (e.kind == kStubPageMessage) {
        if (!w->message_handler)
            return;
        StubMessageArgs* args = new StubMessageArgs(e.text, e.flag != 0);
        record(w, w->message_handler->Invoke(w, args), 0);
        args->Release();
    } else if (e.flag) {
        if (!w->new_window_handler)
            return;
        StubNewWindowArgs* args = new StubNewWindowArgs(e.text);
        HRESULT hr = w->new_window_handler->Invoke(w, args);
        record(w, hr, args->handled);
        args->Release();
    } else {
        if (!w->navigation_handler)
            return;
        StubNavigationArgs* args = new StubNavigationArgs(e.text);
        HRESULT hr = w->navigation_handler->Invoke(w, args);
        record(w, hr, args->cancel);
        args->Release();
    }
}

LRESULT CALLBACK stub_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStubEnvironmentDone || message == kStubControllerDone) {
        wv2_stub_complete(message, lParam);
        return 0;
    }
    if (message == kStubPageMessage || message == kStubNavigation ||
        message == kStubProcessFailed) {
        PageEvent* e = (PageEvent*)lParam;
        EnterCriticalSection(&g_wv2StubLock);
        StubWebView* w = wv2_stub_find(e->parent);
        if (w)
            w->AddRef();
        LeaveCriticalSection(&g_wv2StubLock);
        if (w) {
            deliver(w, *e);
            w->Release();
        }
        delete e;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND make_window() {
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = stub_window_proc;
    wc.hInstance = g_instance;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc); // already registered by an earlier environment is fine
    return CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, g_instance,
                           NULL);
}

// A runtime gives up the requests of an apartment whose thread has ended.
void drop_unanswered(DWORD thread) {
    std::vector<IUnknown*> dropped;
    EnterCriticalSection(&g_wv2StubLock);
    for (size_t i = g_unanswered.size(); i-- > 0;) {
        if (g_unanswered[i].thread == thread) {
            dropped.push_back(g_unanswered[i].handler);
            g_unanswered.erase(g_unanswered.begin() + (long)i);
        }
    }
    LeaveCriticalSection(&g_wv2StubLock);
    for (IUnknown* handler : dropped)
        handler->Release();
}

void read_text(ICoreWebView2EnvironmentOptions* o,
               HRESULT (ICoreWebView2EnvironmentOptions::*get)(LPWSTR*), wchar_t* out,
               size_t capacity) {
    LPWSTR text = NULL;
    if (SUCCEEDED((o->*get)(&text)) && text) {
        wcsncpy(out, text, capacity - 1);
        out[capacity - 1] = 0;
    }
    CoTaskMemFree(text);
}

// Reads the options as the loader and runtime do, including the loader's
// query for a newer options interface that our host does not implement.
void read_options(ICoreWebView2EnvironmentOptions* o, Wv2StubSnapshot* s) {
    read_text(o, &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments,
              s->additional_arguments, 128);
    read_text(o, &ICoreWebView2EnvironmentOptions::get_TargetCompatibleBrowserVersion,
              s->target_version, 32);
    void* newer = (void*)1;
    s->options_interface7_asked =
        o->QueryInterface(kEnvironmentOptions7, &newer) == E_NOINTERFACE && newer == NULL;
}

} // namespace

int wv2_stub_post_event(HWND parent, UINT kind, const wchar_t* text, int flag) {
    if (!text)
        return -1;
    EnterCriticalSection(&g_wv2StubLock);
    StubWebView* w = wv2_stub_find(parent);
    HWND window = w ? w->environment->window : NULL;
    LeaveCriticalSection(&g_wv2StubLock);
    if (!window)
        return -1;
    PageEvent* e = new PageEvent{parent, kind, text, flag};
    if (PostMessageW(window, kind, 0, (LPARAM)e))
        return 0;
    delete e;
    return -1;
}

StubWebView* wv2_stub_find(HWND parent) {
    for (StubWebView* w : g_webViews)
        if (w->parent == parent)
            return w;
    return NULL;
}
void wv2_stub_register(StubWebView* w) {
    EnterCriticalSection(&g_wv2StubLock);
    g_webViews.push_back(w);
    LeaveCriticalSection(&g_wv2StubLock);
}
void wv2_stub_unregister(StubWebView* w) {
    EnterCriticalSection(&g_wv2StubLock);
    for (size_t i = 0; i < g_webViews.size(); ++i)
        if (g_webViews[i] == w)
            g_webViews.erase(g_webViews.begin() + (long)i);
    LeaveCriticalSection(&g_wv2StubLock);
}

int wv2_stub_unanswered_count() {
    EnterCriticalSection(&g_wv2StubLock);
    int count = (int)g_unanswered.size();
    LeaveCriticalSection(&g_wv2StubLock);
    return count;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        InitializeCriticalSection(&g_wv2StubLock);
    } else if (reason == DLL_THREAD_DETACH) {
        drop_unanswered(GetCurrentThreadId());
    } else if (reason == DLL_PROCESS_DETACH) {
        UnregisterClassW(kWindowClass, instance);
        DeleteCriticalSection(&g_wv2StubLock);
    }
    return TRUE;
}

HRESULT
wv2_stub_create_environment(PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* options,
                            ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    remember_start(userDataFolder);
    if (!handler || g_config.fail_step == kWv2StepCreateCall)
        return E_FAIL;
    // The runtime insists on a single-threaded apartment on this thread.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (com == RPC_E_CHANGED_MODE)
        return RPC_E_CHANGED_MODE;
    CoUninitialize();
    if (com == S_OK)
        return CO_E_NOTINITIALIZED; // nobody had initialised COM here
    if (g_config.fail_step == kWv2StepNeverComplete) {
        handler->AddRef();
        EnterCriticalSection(&g_wv2StubLock);
        g_unanswered.push_back(Unanswered{GetCurrentThreadId(), handler});
        LeaveCriticalSection(&g_wv2StubLock);
        return S_OK;
    }
    HWND window = make_window();
    if (!window)
        return E_FAIL;
    StubEnvironment* env = new StubEnvironment(g_config, window);
    if (userDataFolder) {
        wcsncpy(env->options.userDataFolder, userDataFolder, MAX_PATH - 1);
        CreateDirectoryW(userDataFolder, NULL); // the runtime fills it with the profile
    }
    if (options)
        read_options(options, &env->options);
    wv2_stub_post_environment(env, handler,
                              g_config.fail_step == kWv2StepEnvironmentCompleted ? E_FAIL : S_OK);
    env->Release(); // the posted completion holds it now
    return S_OK;
}

WV2_EXPORT void WINAPI wv2stub_configure(int fail_step, int settings_level, int controller4) {
    g_config = StubConfig{fail_step, settings_level, controller4};
}

WV2_EXPORT void WINAPI wv2stub_last_start(wchar_t* folder, int folder_capacity, char* window_class,
                                          int class_capacity) {
    EnterCriticalSection(&g_wv2StubLock);
    if (folder && folder_capacity > 0) {
        wcsncpy(folder, g_lastUserDataFolder, (size_t)folder_capacity - 1);
        folder[folder_capacity - 1] = 0;
    }
    if (window_class && class_capacity > 0) {
        strncpy(window_class, g_lastWindowClass, (size_t)class_capacity - 1);
        window_class[class_capacity - 1] = 0;
    }
    LeaveCriticalSection(&g_wv2StubLock);
}

WV2_EXPORT DWORD WINAPI wv2stub_last_thread(void) {
    EnterCriticalSection(&g_wv2StubLock);
    DWORD id = g_lastThread;
    LeaveCriticalSection(&g_wv2StubLock);
    return id;
}
