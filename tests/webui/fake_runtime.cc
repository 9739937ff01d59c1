#include "tests/webui/fake_runtime.h"

#include <shellapi.h>

namespace {

const wchar_t kInstallRoot[] = L"C:\\oka-test-runtimes";
const wchar_t kClientStateKey[] =
    L"SOFTWARE\\Microsoft\\EdgeUpdate\\ClientState\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

std::wstring widen(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, NULL, 0);
    std::wstring out((size_t)(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
    out.resize(wcslen(out.c_str()));
    return out;
}

// A command-line argument in quotes; backslashes before the closing quote
// are doubled so they stay backslashes.
std::wstring quoted(const std::wstring& text) {
    std::wstring out = L"\"" + text;
    for (size_t i = text.size(); i > 0 && text[i - 1] == L'\\'; --i)
        out += L'\\';
    return out + L"\"";
}

// Runs Windows' reg tool; true when it exits with 0.
bool reg(const std::wstring& arguments) {
    std::wstring command = L"reg.exe " + arguments;
    STARTUPINFOW si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, &command[0], NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &si,
                        &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

std::wstring key_of(RegistryRoot root) {
    return quoted((root == RegistryRoot::kMachine ? L"HKLM\\" : L"HKCU\\") +
                  std::wstring(kClientStateKey));
}

bool make_folders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), NULL);
    return CreateDirectoryW(path.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace

std::wstring fake_client_path(const std::wstring& version_folder) {
    return version_folder + L"\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
}

std::wstring install_fake_runtime(const std::wstring& name, const std::wstring& version,
                                  const char* library) {
    std::wstring folder = std::wstring(kInstallRoot) + L"\\" + name + L"\\" + version;
    std::wstring client = fake_client_path(folder);
    std::wstring unix_source = widen(library);
    std::wstring source = L"Z:" + unix_source;
    for (wchar_t& c : source)
        c = c == L'/' ? L'\\' : c;
    if (!make_folders(client.substr(0, client.find_last_of(L'\\'))) ||
        !CopyFileW(source.c_str(), client.c_str(), FALSE))
        return L"";
    return folder;
}

bool register_runtime(RegistryRoot root, const std::wstring& version_folder, bool view64) {
    return reg(L"add " + key_of(root) + L" /v EBWebView /t REG_SZ /d " + quoted(version_folder) +
               L" /f " + (view64 ? L"/reg:64" : L"/reg:32"));
}

void unregister_runtime(RegistryRoot root) {
    reg(L"delete " + key_of(root) + L" /f /reg:32");
}

void clear_fake_runtimes() {
    for (RegistryRoot root : {RegistryRoot::kMachine, RegistryRoot::kUser}) {
        for (const wchar_t* view : {L" /reg:32", L" /reg:64"})
            reg(L"delete " + key_of(root) + L" /f" + view);
    }
    std::wstring from = std::wstring(kInstallRoot) + L'\0'; // double zero for the shell
    SHFILEOPSTRUCTW op;
    memset(&op, 0, sizeof op);
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationW(&op);
}

bool library_loaded(const std::wstring& path) {
    return GetModuleHandleW(path.c_str()) != NULL;
}

std::wstring module_path(HMODULE module) {
    wchar_t path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH * 2);
    return std::wstring(path, n);
}
