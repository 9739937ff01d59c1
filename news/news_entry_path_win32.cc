// Where the news files live: %APPDATA%\Zarvosonic and below.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "news/news_files.h"
#include "news/news_path.h"

namespace {

const wchar_t kBaseName[] = L"\\Zarvosonic";

// Length in UTF-16 units of a valid UTF-8 component, or 0 when unusable.
int measure_component(NewsSlice part) {
    if (!news_component_valid(part.data, part.length) || part.length > 0x7fffffff)
        return 0;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, part.data, (int)part.length, nullptr,
                               0);
}

bool make_folder(void*, const wchar_t* folder) {
    return CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace

NewsPathResult entryPath(const NewsComponents* components, bool folderOnly, wchar_t** out) {
    *out = nullptr;
    // The environment of this process, not the runtime's copy: both agree in
    // a plug-in, and tests change it with SetEnvironmentVariableW.
    DWORD base_length = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (base_length <= 1)
        return kNewsPathInvalid;
    size_t used = folderOnly && components->count > 0 ? components->count - 1 : components->count;
    int part_length[2] = {0, 0};
    size_t total = base_length + wcslen(kBaseName);
    for (size_t i = 0; i < used && i < 2; i++) {
        part_length[i] = measure_component(components->part[i]);
        if (part_length[i] <= 0)
            return kNewsPathInvalid;
        total += 1 + (size_t)part_length[i];
    }
    wchar_t* path = (wchar_t*)malloc(total * sizeof(wchar_t));
    if (!path)
        return kNewsPathNoMemory;
    DWORD got = GetEnvironmentVariableW(L"APPDATA", path, base_length);
    if (got == 0 || got >= base_length) { // changed meanwhile
        free(path);
        return kNewsPathInvalid;
    }
    size_t at = got;
    wcscpy(path + at, kBaseName);
    at += wcslen(kBaseName);
    for (size_t i = 0; i < used && i < 2; i++) {
        path[at++] = L'\\';
        const NewsSlice& part = components->part[i];
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, part.data, (int)part.length, path + at,
                            part_length[i]);
        at += (size_t)part_length[i];
    }
    path[at] = 0;
    *out = path;
    return kNewsPathOk;
}

bool ensureFolders(const wchar_t* path) {
    size_t length = wcslen(path);
    wchar_t* copy = (wchar_t*)malloc((length + 1) * sizeof(wchar_t));
    if (!copy)
        return false;
    wmemcpy(copy, path, length + 1);
    bool made = news_walk_folders(copy, make_folder, nullptr);
    free(copy);
    return made;
}
