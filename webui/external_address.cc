#include "webui/external_address.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

const wchar_t kPrefix[] = L"rundll32 url.dll,FileProtocolHandler ";

void launch_process(wchar_t* command_line) {
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, command_line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return; // nothing is reported: the navigation stays cancelled
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

ExternalLaunchFn g_launcher = launch_process;

} // namespace

wchar_t* external_address_command(const wchar_t* uri) {
    size_t quotes = 0;
    size_t length = wcslen(uri);
    for (size_t i = 0; i < length; ++i)
        quotes += uri[i] == L'"';
    size_t prefix = wcslen(kPrefix);
    size_t total = prefix + 1 + length + 2 * quotes + 1 + 1;
    wchar_t* command = (wchar_t*)malloc(total * sizeof(wchar_t));
    if (!command)
        return NULL;
    wchar_t* p = command;
    memcpy(p, kPrefix, prefix * sizeof(wchar_t));
    p += prefix;
    *p++ = L'"';
    for (size_t i = 0; i < length; ++i) {
        if (uri[i] == L'"') {
            memcpy(p, L"%22", 3 * sizeof(wchar_t));
            p += 3;
        } else {
            *p++ = uri[i];
        }
    }
    *p++ = L'"';
    *p = 0;
    return command;
}

void external_address_open(const wchar_t* uri) {
    wchar_t* command = external_address_command(uri);
    if (!command)
        return;
    g_launcher(command);
    free(command);
}

void external_address_set_launcher(ExternalLaunchFn launcher) {
    g_launcher = launcher ? launcher : launch_process;
}
