// What the stand-in WebView2Loader.dll and the stand-in runtime client
// library share: environment creation behind their entries, the delivery of
// page events and process failures, and the test hooks.
#include "tests/support/webview2/wv2_stub_objects.h"

#include <string.h>

CRITICAL_SECTION g_wv2StubLock;

void wv2StubComplete(UINT message, LPARAM lParam);
void wv2StubPostEnvironment(StubEnvironment* env, IUnknown* handler, HRESULT error);

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
BOOL CALLBACK findWebWindow(HWND window, LPARAM) {
    char name[64];
    if (GetClassNameA(window, name, sizeof name) && name[0] == 'c') {
        memcpy(g_lastWindowClass, name, sizeof name);
        return FALSE;
    }
    return TRUE;
}

void rememberStart(PCWSTR userDataFolder) {
    EnterCriticalSection(&g_wv2StubLock);
    g_lastUserDataFolder[0] = 0;
    g_lastWindowClass[0] = 0;
    g_lastThread = GetCurrentThreadId();
    if (userDataFolder)
        wcsncpy(g_lastUserDataFolder, userDataFolder, MAX_PATH - 1);
    EnumThreadWindows(GetCurrentThreadId(), findWebWindow, 0);
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
        if (!w->processFailedHandler)
            return;
        IUnknown* args = new StubProcessFailedArgs;
        HRESULT hr = w->processFailedHandler->Invoke(w, (ICoreWebView2ProcessFailedEventArgs*)args);
        record(w, hr, 0);
        args->Release();
    } else if (e.kind == kStubPageMessage) {
        if (!w->messageHandler)
            return;
        StubMessageArgs* args = new StubMessageArgs(e.text, e.flag != 0);
        record(w, w->messageHandler->Invoke(w, args), 0);
        args->Release();
    } else if (e.flag) {
        if (!w->newWindowHandler)
            return;
        StubNewWindowArgs* args = new StubNewWindowArgs(e.text);
        HRESULT hr = w->newWindowHandler->Invoke(w, args);
        record(w, hr, args->handled);
        args->Release();
    } else {
        if (!w->navigationHandler)
            return;
        StubNavigationArgs* args = new StubNavigationArgs(e.text);
        HRESULT hr = w->navigationHandler->Invoke(w, args);
        record(w, hr, args->cancel);
        args->Release();
    }
}

LRESULT CALLBACK stubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStubEnvironmentDone || message == kStubControllerDone) {
        wv2StubComplete(message, lParam);
        return 0;
    }
    if (message == kStubPageMessage || message == kStubNavigation ||
        message == kStubProcessFailed) {
        PageEvent* e = (PageEvent*)lParam;
        EnterCriticalSection(&g_wv2StubLock);
        StubWebView* w = wv2StubFind(e->parent);
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

HWND makeWindow() {
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = stubWindowProc;
    wc.hInstance = g_instance;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc); // already registered by an earlier environment is fine
    return CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, g_instance,
                           NULL);
}

// A runtime gives up the requests of an apartment whose thread has ended.
void dropUnanswered(DWORD thread) {
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

void readText(ICoreWebView2EnvironmentOptions* o,
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
void readOptions(ICoreWebView2EnvironmentOptions* o, Wv2StubSnapshot* s) {
    readText(o, &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments,
             s->additionalArguments, 128);
    readText(o, &ICoreWebView2EnvironmentOptions::get_TargetCompatibleBrowserVersion,
             s->targetVersion, 32);
    void* newer = (void*)1;
    s->optionsInterface7Asked =
        o->QueryInterface(kEnvironmentOptions7, &newer) == E_NOINTERFACE && newer == NULL;
}

} // namespace

int wv2StubPostEvent(HWND parent, UINT kind, const wchar_t* text, int flag) {
    if (!text)
        return -1;
    EnterCriticalSection(&g_wv2StubLock);
    StubWebView* w = wv2StubFind(parent);
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

StubWebView* wv2StubFind(HWND parent) {
    for (StubWebView* w : g_webViews)
        if (w->parent == parent)
            return w;
    return NULL;
}
void wv2StubRegister(StubWebView* w) {
    EnterCriticalSection(&g_wv2StubLock);
    g_webViews.push_back(w);
    LeaveCriticalSection(&g_wv2StubLock);
}
void wv2StubUnregister(StubWebView* w) {
    EnterCriticalSection(&g_wv2StubLock);
    for (size_t i = 0; i < g_webViews.size(); ++i)
        if (g_webViews[i] == w)
            g_webViews.erase(g_webViews.begin() + (long)i);
    LeaveCriticalSection(&g_wv2StubLock);
}

int wv2StubUnansweredCount() {
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
        dropUnanswered(GetCurrentThreadId());
    } else if (reason == DLL_PROCESS_DETACH) {
        UnregisterClassW(kWindowClass, instance);
        DeleteCriticalSection(&g_wv2StubLock);
    }
    return TRUE;
}

HRESULT
wv2StubCreateEnvironment(PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* options,
                         ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    rememberStart(userDataFolder);
    if (!handler || g_config.failStep == kWv2StepCreateCall)
        return E_FAIL;
    // The runtime insists on a single-threaded apartment on this thread.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (com == RPC_E_CHANGED_MODE)
        return RPC_E_CHANGED_MODE;
    CoUninitialize();
    if (com == S_OK)
        return CO_E_NOTINITIALIZED; // nobody had initialised COM here
    if (g_config.failStep == kWv2StepNeverComplete) {
        handler->AddRef();
        EnterCriticalSection(&g_wv2StubLock);
        g_unanswered.push_back(Unanswered{GetCurrentThreadId(), handler});
        LeaveCriticalSection(&g_wv2StubLock);
        return S_OK;
    }
    HWND window = makeWindow();
    if (!window)
        return E_FAIL;
    StubEnvironment* env = new StubEnvironment(g_config, window);
    if (userDataFolder) {
        wcsncpy(env->options.userDataFolder, userDataFolder, MAX_PATH - 1);
        CreateDirectoryW(userDataFolder, NULL); // the runtime fills it with the profile
    }
    if (options)
        readOptions(options, &env->options);
    wv2StubPostEnvironment(env, handler,
                           g_config.failStep == kWv2StepEnvironmentCompleted ? E_FAIL : S_OK);
    env->Release(); // the posted completion holds it now
    return S_OK;
}

WV2_EXPORT void WINAPI wv2stub_configure(int failStep, int settingsLevel, int controller4) {
    g_config = StubConfig{failStep, settingsLevel, controller4};
}

WV2_EXPORT void WINAPI wv2stub_last_start(wchar_t* folder, int folderCapacity, char* windowClass,
                                          int classCapacity) {
    EnterCriticalSection(&g_wv2StubLock);
    if (folder && folderCapacity > 0) {
        wcsncpy(folder, g_lastUserDataFolder, (size_t)folderCapacity - 1);
        folder[folderCapacity - 1] = 0;
    }
    if (windowClass && classCapacity > 0) {
        strncpy(windowClass, g_lastWindowClass, (size_t)classCapacity - 1);
        windowClass[classCapacity - 1] = 0;
    }
    LeaveCriticalSection(&g_wv2StubLock);
}

WV2_EXPORT DWORD WINAPI wv2stub_last_thread(void) {
    EnterCriticalSection(&g_wv2StubLock);
    DWORD id = g_lastThread;
    LeaveCriticalSection(&g_wv2StubLock);
    return id;
}
