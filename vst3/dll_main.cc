// The module's load and unload hook. It records the module and resources
// folders: the path comes from the wide GetModuleFileNameW and is converted
// to UTF-8 with invalid sequences rejected, so an installation under a folder
// with characters outside the ANSI code page still finds its files.
#include <stdlib.h>
#include <windows.h>

#include "vst3/module_paths.h"

// The module's own full path as UTF-8, or null. [loader thread]
static char* module_file_path_utf8(void) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCWSTR)(void*)&module_file_path_utf8, &module)) {
        return nullptr;
    }
    DWORD capacity = 260;
    wchar_t* wide = nullptr;
    DWORD length = 0;
    for (;;) {
        wchar_t* grown = (wchar_t*)realloc(wide, capacity * sizeof(wchar_t));
        if (grown == nullptr)
            break;
        wide = grown;
        length = GetModuleFileNameW(module, wide, capacity);
        if (length == 0 || length < capacity)
            break;
        if (capacity > 0x7FFFFFFF / 2 / sizeof(wchar_t)) {
            length = 0;
            break;
        }
        capacity *= 2;
    }
    char* utf8 = nullptr;
    if (wide != nullptr && length > 0 && length < capacity) {
        int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, (int)length, nullptr, 0,
                                       nullptr, nullptr);
        if (size > 0)
            utf8 = (char*)malloc((size_t)size + 1);
        if (utf8 != nullptr) {
            WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, (int)length, utf8, size,
                                nullptr, nullptr);
            utf8[size] = '\0';
        }
    }
    free(wide);
    return utf8;
}

// [loader thread, under the loader lock]
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (module_paths_load_count() != 0)
            return module_paths_attach(nullptr) ? TRUE : FALSE;
        char* path = module_file_path_utf8();
        bool ok = path != nullptr && module_paths_attach(path);
        free(path);
        return ok ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH)
        module_paths_detach();
    return TRUE;
}
