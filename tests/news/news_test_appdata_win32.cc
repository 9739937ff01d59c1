#include "tests/news/news_test_appdata.h"

#include <stdio.h>
#include <windows.h>

namespace {

void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

bool private_app_data_create(PrivateAppData* app_data, const char* tag) {
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return false;
    wchar_t name[128];
    swprintf(name, 128, L"oka-news-%hs-%lu-%lu", tag, (unsigned long)GetCurrentProcessId(),
             (unsigned long)GetTickCount());
    app_data->root = std::wstring(temp) + name;
    if (!CreateDirectoryW(app_data->root.c_str(), nullptr))
        return false;
    return SetEnvironmentVariableW(L"APPDATA", app_data->root.c_str()) != 0;
}

void private_app_data_remove(PrivateAppData* app_data) {
    if (!app_data->root.empty())
        remove_tree(app_data->root);
}

void private_base_unset() {
    SetEnvironmentVariableW(L"APPDATA", nullptr);
}

void private_base_empty() {
    SetEnvironmentVariableW(L"APPDATA", L"");
}

void private_base_restore(const PrivateAppData* app_data) {
    SetEnvironmentVariableW(L"APPDATA", app_data->root.c_str());
}

std::wstring news_file_path(const PrivateAppData* app_data,
                            const std::vector<std::wstring>& parts) {
    std::wstring path = app_data->root + L"\\Zarvosonic";
    for (const std::wstring& part : parts)
        path += L"\\" + part;
    return path;
}

FILE* open_raw_file(const NewsPath& path, bool for_writing) {
    return _wfopen(path.c_str(), for_writing ? L"wb" : L"rb");
}

bool path_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ForeignLock::take(const NewsPath& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    handle = file;
    OVERLAPPED at = {};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 0xFFFFFFFF, 0xFFFFFFFF, &at);
}

long long ForeignLock::size() {
    LARGE_INTEGER bytes;
    return GetFileSizeEx((HANDLE)handle, &bytes) ? bytes.QuadPart : -1;
}

void ForeignLock::release() {
    OVERLAPPED at = {};
    UnlockFileEx((HANDLE)handle, 0, 0xFFFFFFFF, 0xFFFFFFFF, &at);
    CloseHandle((HANDLE)handle);
}

bool start_self(const std::vector<std::string>& arguments, SelfProcess* process) {
    wchar_t self[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH))
        return false;
    std::wstring command = L"\"" + std::wstring(self) + L"\"";
    for (const std::string& argument : arguments)
        command += L" \"" + std::wstring(argument.begin(), argument.end()) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    process->handle = started.hProcess;
    return true;
}

int wait_self(SelfProcess* process) {
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject((HANDLE)process->handle, 300000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess((HANDLE)process->handle, &code))
        code = (DWORD)-1;
    CloseHandle((HANDLE)process->handle);
    return (int)code;
}

void sleep_ms(int ms) {
    Sleep((DWORD)ms);
}
