// The per-user news files on Windows: paths under %APPDATA%\Zarvosonic and
// the locked reads and writes behind kNewsWin32Files.
#pragma once
#ifdef _WIN32
#include <wchar.h>

#include "news/news_store.h"

enum NewsPathResult {
    kNewsPathOk = 0,
    kNewsPathInvalid = 1, // APPDATA unset or empty, or a component unusable
    kNewsPathNoMemory = 2,
};

// Builds %APPDATA%\Zarvosonic\<component>... as a heap UTF-16 path (free()).
// With folderOnly the last component is left out. A component that is empty,
// not valid UTF-8, or could leave its parent folder makes the path invalid.
// [any thread]
NewsPathResult entryPath(const NewsComponents* components, bool folderOnly, wchar_t** out);

// Creates every missing folder of `path`; true when all exist afterwards.
// [any thread]
bool ensureFolders(const wchar_t* path);

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
#endif
