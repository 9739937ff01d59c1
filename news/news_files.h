// The per-user news files: paths under the user's data folder (Windows:
// %APPDATA%\Zarvosonic; Linux: $XDG_DATA_HOME/Zarvosonic, else
// ~/.local/share/Zarvosonic) and the locked reads and writes behind
// kNewsUserFiles.
#pragma once
#include <stddef.h>

#include "news/news_file_ops.h"

// Paths are UTF-16 on Windows and bytes (UTF-8) elsewhere.
#ifdef _WIN32
#include <wchar.h>
typedef wchar_t NewsPathChar;
#else
typedef char NewsPathChar;
#endif

enum NewsPathResult {
    kNewsPathOk = 0,
    kNewsPathInvalid = 1, // no base folder, or a component unusable
    kNewsPathNoMemory = 2,
};

// Builds <base>/Zarvosonic/<component>... as a heap path (free()). With
// folderOnly the last component is left out. A component that is empty,
// not valid UTF-8, or could leave its parent folder makes the path invalid,
// as does a missing base folder (APPDATA unset or empty; on Linux neither an
// absolute XDG_DATA_HOME nor an absolute HOME). [any thread]
NewsPathResult entryPath(const NewsComponents* components, bool folderOnly, NewsPathChar** out);

// Creates every missing folder of `path`; true when all exist afterwards.
// [any thread]
bool ensureFolders(const NewsPathChar* path);

// Reads the whole entry under the file's exclusive lock. A missing file, or
// a path that cannot be built, gives no text and success. [web UI thread]
NewsStatus readEntry(const NewsComponents* components, NewsText* out);

// Replaces the entry's content under the file's exclusive lock; the file is
// emptied only once the lock is held, so nobody sees it half written and a
// locked-out write changes nothing. Silent on failure. [web UI thread]
void writeEntry(NewsSlice text, const NewsComponents* components);

// Checks the version tag and writes under one exclusive lock; on a conflict
// returns the whole stored text in `stored`. [web UI thread]
NewsSyncOutcome syncEntry(const NewsComponents* components, const NewsSyncBody* body,
                          NewsText* stored);

// The per-user files as the request core reaches them (news_store serves
// the page with them). [web UI thread]
extern const NewsFileOps kNewsUserFiles;
