// A private %APPDATA% for the news tests: a fresh folder under the system's
// temporary folder, set in this process's environment (children started
// afterwards inherit it) and removed again at the end.
#pragma once
#include <string>
#include <vector>

struct PrivateAppData {
    std::wstring root; // the folder APPDATA names
};

// Creates the folder and points APPDATA at it. [test thread]
bool privateAppDataCreate(PrivateAppData* appData, const wchar_t* tag);

// Removes the folder with everything in it; APPDATA is left pointing at it.
void privateAppDataRemove(PrivateAppData* appData);

// root + "\Zarvosonic" + each "\component".
std::wstring newsFilePath(const PrivateAppData* appData, const std::vector<std::wstring>& parts);

// Raw bytes of a file (binary mode); false when it cannot be opened.
bool readRawFile(const std::wstring& path, std::string* bytes);

// Creates the folders and writes raw bytes (binary mode).
bool writeRawFile(const PrivateAppData* appData, const std::vector<std::wstring>& parts,
                  const std::string& bytes);

bool pathExists(const std::wstring& path);

// Requests the store directly and collects its replies.
std::vector<std::string> askStore(const std::string& request);
