#include "tests/webui/web_view_fixture.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

namespace {

int32_t record(void* userData, int kind, uint32_t index, float value) {
    TestModule* m = (TestModule*)userData;
    RecordedEdit e{kind, index, bits_of(value), GetCurrentThreadId()};
    m->edits.push_back(e);
    if (m->on_edit)
        m->on_edit(m, e);
    return 0;
}
int32_t beginEdit(void* u, uint32_t i, float v) {
    return record(u, 0, i, v);
}
int32_t setEdit(void* u, uint32_t i, float v) {
    return record(u, 1, i, v);
}
int32_t endEdit(void* u, uint32_t i, float v) {
    return record(u, 2, i, v);
}
const char* loaderFolder(void* u) {
    return ((TestModule*)u)->loaderFolder.c_str();
}
const char* webRoot(void* u) {
    return ((TestModule*)u)->webRoot.c_str();
}

std::wstring g_temp;

// Every test runs with TMP and TEMP pointing at a fresh private folder, so
// the host's temporary files and user-data folders can be counted exactly.
class PrivateTemp : public ::testing::Environment {
  public:
    void SetUp() override {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        // Wine reuses process ids: a killed earlier run may have left its folder.
        for (unsigned n = GetTickCount();; ++n) {
            g_temp = std::wstring(base) + L"okawebui-" + std::to_wstring(GetCurrentProcessId()) +
                     L"-" + std::to_wstring(n);
            if (CreateDirectoryW(g_temp.c_str(), NULL))
                break;
        }
        SetEnvironmentVariableW(L"TMP", g_temp.c_str());
        SetEnvironmentVariableW(L"TEMP", g_temp.c_str());
    }
    void TearDown() override { RemoveDirectoryW(g_temp.c_str()); }
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new PrivateTemp);

template <class F> F hook(HMODULE m, const char* name) {
    return (F)(void (*)())GetProcAddress(m, name);
}

} // namespace

WebViewCallbacks TestModule::callbacks() {
    return WebViewCallbacks{this, "vst3", ::loaderFolder, ::webRoot, beginEdit, setEdit, endEdit};
}

bool StubHooks::load(HMODULE m) {
    configure = hook<Wv2StubConfigureFn>(m, "wv2stub_configure");
    post_page_message = hook<Wv2StubPostFn>(m, "wv2stub_post_page_message");
    navigate = hook<Wv2StubNavigateFn>(m, "wv2stub_navigate");
    process_failed = hook<Wv2StubProcessFailedFn>(m, "wv2stub_process_failed");
    page_message = hook<Wv2StubPageMessageFn>(m, "wv2stub_page_message");
    result = hook<Wv2StubResultFn>(m, "wv2stub_result");
    snapshot = hook<Wv2StubSnapshotFn>(m, "wv2stub_snapshot");
    live_objects = hook<Wv2StubLiveFn>(m, "wv2stub_live_objects");
    message_handler = hook<Wv2StubHandlerFn>(m, "wv2stub_message_handler");
    last_start = hook<Wv2StubLastStartFn>(m, "wv2stub_last_start");
    last_thread = hook<Wv2StubLastThreadFn>(m, "wv2stub_last_thread");
    return configure && post_page_message && navigate && process_failed && page_message && result &&
           snapshot && live_objects && message_handler && last_start && last_thread;
}

std::string exe_folder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring w(path, n);
    w = w.substr(0, w.find_last_of(L'\\'));
    char utf8[MAX_PATH * 3];
    int len =
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), utf8, sizeof utf8, NULL, NULL);
    return std::string(utf8, (size_t)len);
}

StubHooks& local_stub() {
    static StubHooks hooks;
    static bool loaded = false;
    if (!loaded) {
        std::wstring path;
        wchar_t exe[MAX_PATH];
        DWORD n = GetModuleFileNameW(NULL, exe, MAX_PATH);
        path.assign(exe, n);
        path = path.substr(0, path.find_last_of(L'\\')) + L"\\WebView2Loader.dll";
        loaded = hooks.load(LoadLibraryW(path.c_str()));
    }
    return hooks;
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 2, QS_ALLINPUT);
    }
    return true;
}

std::vector<std::wstring> page_posts(const StubHooks& stub, WebViewHost* host) {
    std::vector<std::wstring> out;
    int count = stub.page_message(host->webWindow, -1, NULL, 0);
    for (int i = 0; i < count; ++i) {
        wchar_t text[4096];
        stub.page_message(host->webWindow, i, text, 4096);
        out.push_back(text);
    }
    return out;
}

uint32_t bits_of(float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::wstring value_message(uint32_t index, float value) {
    wchar_t text[32];
    swprintf(text, 32, L"s %08x %08x", index, bits_of(value));
    return text;
}

int thread_count() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL ok = Thread32First(snap, &entry); ok; ok = Thread32Next(snap, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return count;
}

bool thread_ended(DWORD id, DWORD ms) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    if (!thread)
        return true;
    bool ended = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

std::wstring temp_folder() {
    return g_temp;
}

int temp_entries() {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((g_temp + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    do {
        std::wstring name = data.cFileName;
        count += name != L"." && name != L"..";
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

bool folder_exists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool class_registered(const std::string& name) {
    WNDCLASSEXA wc;
    wc.cbSize = sizeof wc;
    return GetClassInfoExA(GetModuleHandleA(NULL), name.c_str(), &wc) != 0 ||
           GetClassInfoExA(NULL, name.c_str(), &wc) != 0;
}

HWND make_parent_window() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc;
        memset(&wc, 0, sizeof wc);
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "OkaWebUiTestParent";
        registered = RegisterClassExA(&wc) != 0;
    }
    return CreateWindowExA(0, "OkaWebUiTestParent", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 800, 800,
                           NULL, NULL, NULL, NULL);
}
