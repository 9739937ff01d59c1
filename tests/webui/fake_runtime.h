// Installing the stand-in WebView2 runtime in the Wine prefix and
// registering it as the runtime's installer does, for the tests of the
// runtime finder. Installs lie under C:\oka-test-runtimes; registrations are
// the stable channel's client-state key, written with Windows' own reg tool.
// clear_fake_runtimes removes both. The registry is the prefix's, shared with
// every test program running beside this one: CTest keeps the programs that
// touch or depend on it apart (a resource lock).
#pragma once

#include <windows.h>

#include <string>

enum class RegistryRoot { kMachine, kUser };

// The client library's path below a version folder.
std::wstring fake_client_path(const std::wstring& version_folder);

// Copies the built library at `library` (a Unix path) into
// C:\oka-test-runtimes\<name>\<version>\EBWebView\x64\; returns that version
// folder, or "" when the copy failed.
std::wstring install_fake_runtime(const std::wstring& name, const std::wstring& version,
                                  const char* library);

// Writes `version_folder` as the EBWebView value under `root`, in the 32-bit
// registry view as an installer would (or, with `view64`, the 64-bit one).
bool register_runtime(RegistryRoot root, const std::wstring& version_folder, bool view64 = false);
void unregister_runtime(RegistryRoot root);

// Every registration (both roots, both views) and every install removed.
void clear_fake_runtimes();

// True while the library at `path` is loaded in this process.
bool library_loaded(const std::wstring& path);
// The file a loaded module came from.
std::wstring module_path(HMODULE module);
