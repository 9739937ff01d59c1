// The news files on Linux and other POSIX systems, locked with flock, which
// belongs to the open stream, so two streams conflict even inside one
// process, as on Windows.
#include <errno.h>
#include <sys/file.h>
#include <unistd.h>

#include "news/news_file_access.h"
#include "news/news_files.h"

FILE* newsOpenPath(const char* path, bool forWriting) {
    // "e": the descriptor is not inherited by programs the host starts.
    return fopen(path, forWriting ? "a+be" : "rbe");
}

bool newsLockWhole(FILE* file) {
    int result;
    while ((result = flock(fileno(file), LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

void newsUnlockWhole(FILE* file) {
    flock(fileno(file), LOCK_UN);
}

bool newsSeek(FILE* file, int64_t offset, int whence) {
    return fseeko(file, (off_t)offset, whence) == 0;
}

int64_t newsTell(FILE* file) {
    return (int64_t)ftello(file);
}

bool newsTruncate(FILE* file) {
    return ftruncate(fileno(file), 0) == 0;
}
