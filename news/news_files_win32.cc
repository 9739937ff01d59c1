// The news files on Windows: opened by their UTF-16 path under
// %APPDATA%\Zarvosonic, locked with LockFileEx on the handle under the
// stream.
#include <errno.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "news/news_file_access.h"
#include "news/news_files.h"

namespace {

HANDLE handleOf(FILE* file) {
    return (HANDLE)_get_osfhandle(_fileno(file));
}

} // namespace

FILE* newsOpenEntry(const NewsComponents* components, bool forWriting, bool* missing) {
    *missing = false;
    wchar_t* path = nullptr;
    if (forWriting) {
        if (entryPath(components, true, &path) != kNewsPathOk)
            return nullptr;
        bool made = ensureFolders(path);
        free(path);
        if (!made)
            return nullptr;
    }
    NewsPathResult built = entryPath(components, false, &path);
    if (built != kNewsPathOk) {
        *missing = built == kNewsPathInvalid;
        return nullptr;
    }
    FILE* file = _wfopen(path, forWriting ? L"a+b" : L"rb");
    if (!file)
        *missing = errno == ENOENT;
    free(path);
    return file;
}

bool newsLockWhole(FILE* file) {
    OVERLAPPED at = {};
    return LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK, 0, 0xFFFFFFFF, 0xFFFFFFFF, &at);
}

void newsUnlockWhole(FILE* file) {
    OVERLAPPED at = {};
    UnlockFileEx(handleOf(file), 0, 0xFFFFFFFF, 0xFFFFFFFF, &at);
}

bool newsSeek(FILE* file, int64_t offset, int whence) {
    return _fseeki64(file, offset, whence) == 0;
}

int64_t newsTell(FILE* file) {
    return _ftelli64(file);
}

bool newsTruncate(FILE* file) {
    return _chsize(_fileno(file), 0) == 0;
}
