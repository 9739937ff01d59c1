// The news files on Windows: opened by their UTF-16 path, locked with
// LockFileEx on the handle under the stream.
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "news/news_file_access.h"
#include "news/news_files.h"

namespace {

HANDLE handle_of(FILE* file) {
    return (HANDLE)_get_osfhandle(_fileno(file));
}

} // namespace

FILE* news_open_path(const wchar_t* path, bool for_writing) {
    return _wfopen(path, for_writing ? L"a+b" : L"rb");
}

bool news_lock_whole(FILE* file) {
    OVERLAPPED at = {};
    return LockFileEx(handle_of(file), LOCKFILE_EXCLUSIVE_LOCK, 0, 0xFFFFFFFF, 0xFFFFFFFF, &at);
}

void news_unlock_whole(FILE* file) {
    OVERLAPPED at = {};
    UnlockFileEx(handle_of(file), 0, 0xFFFFFFFF, 0xFFFFFFFF, &at);
}

bool news_seek(FILE* file, int64_t offset, int whence) {
    return _fseeki64(file, offset, whence) == 0;
}

int64_t news_tell(FILE* file) {
    return _ftelli64(file);
}

bool news_truncate(FILE* file) {
    return _chsize(_fileno(file), 0) == 0;
}
