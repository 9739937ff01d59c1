// Finding the installed WebView2 runtime: the stable channel's registry
// value names the runtime's version folder, whose last component is its
// version; the client library lies at a fixed place below it.
#include "webui/wv2_runtime.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

// The stable channel's client state. A per-machine install lies in the
// 32-bit view (WOW6432Node on 64-bit Windows); reading that view finds it
// from a 64-bit process, and HKCU is the same in both views.
const wchar_t kClientStateKey[] =
    L"SOFTWARE\\Microsoft\\EdgeUpdate\\ClientState\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
const wchar_t kVersionFolderValue[] = L"EBWebView";
const wchar_t kClientLibrary[] = L"EBWebView\\x64\\EmbeddedBrowserWebView.dll";

// Longest value we read: the longest path Windows knows, in bytes.
constexpr DWORD kMaxValueBytes = 32767 * sizeof(wchar_t);

// Version numbers are short; more digits than this are no version.
constexpr int kMaxDigits = 9;

// Reads one decimal number ending at `end` (a dot or the text's end).
// Returns the position after it, or null when it is not 1..kMaxDigits digits.
const wchar_t* read_number(const wchar_t* at, const wchar_t* end, unsigned* value) {
    unsigned n = 0;
    int digits = 0;
    while (at < end && *at >= L'0' && *at <= L'9') {
        if (++digits > kMaxDigits)
            return NULL;
        n = n * 10 + (unsigned)(*at - L'0');
        ++at;
    }
    if (digits == 0)
        return NULL;
    *value = n;
    return at;
}

// The registry value, terminated, or null. RegGetValueW terminates a string
// stored without its zero, which may need one character more than it said.
wchar_t* read_version_folder(HKEY root) {
    HKEY key;
    if (RegOpenKeyExW(root, kClientStateKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return NULL;
    wchar_t* folder = NULL;
    DWORD bytes = 0;
    if (RegGetValueW(key, NULL, kVersionFolderValue, RRF_RT_REG_SZ, NULL, NULL, &bytes) ==
            ERROR_SUCCESS &&
        bytes >= sizeof(wchar_t) && bytes <= kMaxValueBytes) {
        bytes += sizeof(wchar_t);
        folder = (wchar_t*)malloc(bytes);
        if (folder && RegGetValueW(key, NULL, kVersionFolderValue, RRF_RT_REG_SZ, NULL, folder,
                                   &bytes) != ERROR_SUCCESS) {
            free(folder);
            folder = NULL;
        }
    }
    RegCloseKey(key);
    return folder;
}

} // namespace

unsigned wv2_runtime_build(const wchar_t* version_folder) {
    if (!version_folder)
        return 0;
    const wchar_t* end = version_folder + wcslen(version_folder);
    while (end > version_folder && end[-1] == L'\\')
        --end;
    const wchar_t* start = end;
    while (start > version_folder && start[-1] != L'\\' && start[-1] != L'/')
        --start;
    unsigned parts[4];
    const wchar_t* at = start;
    for (int i = 0; i < 4; ++i) {
        at = read_number(at, end, &parts[i]);
        if (!at || (i < 3 ? at == end || *at != L'.' : at != end))
            return 0;
        ++at;
    }
    return parts[2];
}

wchar_t* wv2_runtime_client_path(HKEY root) {
    wchar_t* folder = read_version_folder(root);
    if (!folder || wv2_runtime_build(folder) < kWv2MinimumRuntimeBuild) {
        free(folder);
        return NULL;
    }
    size_t length = wcslen(folder);
    size_t tail = sizeof kClientLibrary / sizeof(wchar_t); // with its zero
    wchar_t* path = (wchar_t*)malloc((length + 1 + tail) * sizeof(wchar_t));
    if (path) {
        memcpy(path, folder, length * sizeof(wchar_t));
        if (path[length - 1] != L'\\')
            path[length++] = L'\\';
        memcpy(path + length, kClientLibrary, tail * sizeof(wchar_t));
    }
    free(folder);
    return path;
}
