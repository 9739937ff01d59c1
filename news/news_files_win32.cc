// The news files on Windows: opened by their UTF-16 path, locked with
// LockFileEx on the handle under the stream.
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "news/news_file_access.h"
#include "news/news_files.h"

namespace {

HANDLE handleOf(FILE* file) {
    return (HANDLE)_get_osfhandle(_fileno(file));
}

} // namespace

FILE* newsOpenPath(const wchar_t* path, bool forWriting) {
    return _wfopen(path, forWriting ? L"a+b" : L"rb");
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
