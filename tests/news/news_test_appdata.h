// A private per-user data folder for the news tests: a fresh folder under
// the system's temporary folder that the store's base variable names (APPDATA
// on Windows, XDG_DATA_HOME elsewhere), in this process's environment, so
// children started afterwards inherit it; removed again at the end. Also the
// few things the tests do to files and processes the way another instance
// would, on either system.
#pragma once
#include <stdio.h>

#include <string>
#include <vector>

#include "news/news_files.h"

typedef std::basic_string<NewsPathChar> NewsPath;
#ifdef _WIN32
#define NP(text) L##text
#define NEWS_SEPARATOR L"\\"
#else
#define NP(text) text
#define NEWS_SEPARATOR "/"
#endif

struct PrivateAppData {
    NewsPath root; // the folder the base variable names
};

// Creates the folder and points the base variable at it. [test thread]
bool private_app_data_create(PrivateAppData* app_data, const char* tag);

// Removes the folder with everything in it; the variable still names it.
void private_app_data_remove(PrivateAppData* app_data);

// No base folder at all (on Linux neither XDG_DATA_HOME nor HOME), an empty
// one, or the private folder again.
void private_base_unset();
void private_base_empty();
void private_base_restore(const PrivateAppData* app_data);

// root + separator + "Zarvosonic" + each separator + component.
NewsPath news_file_path(const PrivateAppData* app_data, const std::vector<NewsPath>& parts);

// A file opened in binary mode, for writing (emptied) or reading; null when
// it cannot be opened. One per system.
FILE* open_raw_file(const NewsPath& path, bool for_writing);

// Raw bytes of a file; false when it cannot be opened.
bool read_raw_file(const NewsPath& path, std::string* bytes);

// Creates the folders and writes raw bytes.
bool write_raw_file(const PrivateAppData* app_data, const std::vector<NewsPath>& parts,
                    const std::string& bytes);

bool path_exists(const NewsPath& path);

// Requests the store directly and collects its replies.
std::vector<std::string> ask_store(const std::string& request);

// Holds the whole-file lock on an existing file the way another instance
// would, through a file handle of its own.
struct ForeignLock {
    bool take(const NewsPath& path);
    long long size(); // of the file, read through the held handle
    void release();
    void* handle = nullptr; // Windows
    int fd = -1;            // elsewhere
};

// This test program started again with `arguments` after its own name.
struct SelfProcess {
    void* handle = nullptr; // Windows
    int pid = 0;            // elsewhere
};
bool start_self(const std::vector<std::string>& arguments, SelfProcess* process);
// The exit code, or -1 when it could not be had.
int wait_self(SelfProcess* process);

void sleep_ms(int ms);
