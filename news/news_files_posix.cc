// The news files on Linux and other POSIX systems, locked with flock, which
// belongs to the open stream, so two streams conflict even inside one
// process, as on Windows.
#include <errno.h>
#include <sys/file.h>
#include <unistd.h>

#include "news/news_file_access.h"
#include "news/news_files.h"

FILE* news_open_path(const char* path, bool for_writing) {
    // "e": the descriptor is not inherited by programs the host starts.
    return fopen(path, for_writing ? "a+be" : "rbe");
}

bool news_lock_whole(FILE* file) {
    int result;
    while ((result = flock(fileno(file), LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

void news_unlock_whole(FILE* file) {
    flock(fileno(file), LOCK_UN);
}

bool news_seek(FILE* file, int64_t offset, int whence) {
    return fseeko(file, (off_t)offset, whence) == 0;
}

int64_t news_tell(FILE* file) {
    return (int64_t)ftello(file);
}

bool news_truncate(FILE* file) {
    return ftruncate(fileno(file), 0) == 0;
}
