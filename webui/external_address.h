// Opening an address outside the web view with the system's default handler.
#pragma once

#include <windows.h>

// The command line "rundll32 url.dll,FileProtocolHandler \"<uri>\"" (malloc'ed;
// null when memory is short). A double quote inside the URI is written as
// %22 so the URI can never close the quoting and add arguments. [any thread]
wchar_t* external_address_command(const wchar_t* uri);

// Starts the command and waits until it ends. [web UI thread]
void external_address_open(const wchar_t* uri);

// Replaces the process launch (tests record the command instead of starting
// a browser); null restores CreateProcessW. [any thread, before use]
typedef void (*ExternalLaunchFn)(wchar_t* command_line);
void external_address_set_launcher(ExternalLaunchFn launcher);
