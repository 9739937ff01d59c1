// Locked access to the per-user news files. Every access holds an exclusive
// lock on the whole file from just after the open to just before the close,
// readers as well as writers, so instances in any process never see a file
// half written. A line feed is stored as carriage return + line feed and
// read back as a line feed, on every system, so the files are the same
// everywhere (news_line_ends.h says why the store converts them itself on
// binary streams rather than using text mode).
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "news/news_file_access.h"
#include "news/news_files.h"
#include "news/news_line_ends.h"

namespace {

const size_t kTagLength = 8;

// Opens an entry's file, for writing after creating its folders. Null on
// failure; *missing tells a file that does not exist, or whose path cannot
// be built.
FILE* open_entry(const NewsComponents* components, bool for_writing, bool* missing) {
    *missing = false;
    NewsPathChar* path = nullptr;
    if (for_writing) {
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
    FILE* file = news_open_path(path, for_writing);
    if (!file)
        *missing = errno == ENOENT;
    free(path);
    return file;
}

FILE* open_locked(const NewsComponents* components, bool for_writing, bool* missing) {
    FILE* file = open_entry(components, for_writing, missing);
    if (file && !news_lock_whole(file)) {
        fclose(file);
        return nullptr;
    }
    return file;
}

void close_locked(FILE* file) {
    fflush(file);
    news_unlock_whole(file);
    fclose(file);
}

// Byte size of the file; the position is back at the start afterwards.
bool measure(FILE* file, int64_t* size) {
    if (!news_seek(file, 0, SEEK_END))
        return false;
    *size = news_tell(file);
    return *size >= 0 && news_seek(file, 0, SEEK_SET);
}

// The whole file as one terminated text (line ends already converted).
NewsStatus read_whole(FILE* file, NewsText* out) {
    int64_t size = 0;
    if (!measure(file, &size) || (uint64_t)size >= (uint64_t)SIZE_MAX)
        return kNewsFailed;
    char* text = (char*)malloc((size_t)size + 1);
    if (!text)
        return kNewsFailed;
    size_t got = fread(text, 1, (size_t)size, file);
    if (ferror(file)) {
        free(text);
        return kNewsFailed;
    }
    got = news_lines_from_disk(text, got);
    text[got] = 0;
    *out = NewsText{text, got};
    return kNewsOk;
}

// Writes `text` with every line feed as CR LF.
bool write_lines(FILE* file, NewsSlice text) {
    size_t start = 0;
    for (size_t i = 0; i <= text.length; i++) {
        if (i < text.length && text.data[i] != '\n')
            continue;
        size_t run = i - start;
        if (run && fwrite(text.data + start, 1, run, file) != run)
            return false;
        if (i < text.length && fwrite("\r\n", 1, 2, file) != 2)
            return false;
        start = i + 1;
    }
    return true;
}

// Empties the locked file and writes `text` from its start.
bool replace_content(FILE* file, NewsSlice text) {
    // The seek drops buffered input before the size changes under the stream.
    if (!news_seek(file, 0, SEEK_SET) || !news_truncate(file))
        return false;
    return write_lines(file, text) && fflush(file) == 0;
}

// The first characters (up to eight) as a reader sees them: eight of them
// take at most sixteen bytes on disk, plus one to pair a final CR.
size_t read_prefix(FILE* file, char* prefix) {
    char raw[2 * kTagLength + 1];
    size_t got = news_lines_from_disk(raw, fread(raw, 1, sizeof raw, file));
    size_t used = got < kTagLength ? got : kTagLength;
    memcpy(prefix, raw, used);
    return used;
}

NewsStatus read_slot(void*, const NewsComponents* components, NewsText* out) {
    return readEntry(components, out);
}

void write_slot(void*, NewsSlice text, const NewsComponents* components) {
    writeEntry(text, components);
}

NewsSyncOutcome sync_slot(void*, const NewsComponents* components, const NewsSyncBody* body,
                          NewsText* stored) {
    return syncEntry(components, body, stored);
}

} // namespace

NewsStatus readEntry(const NewsComponents* components, NewsText* out) {
    *out = NewsText{nullptr, 0};
    bool missing = false;
    FILE* file = open_locked(components, false, &missing);
    if (!file)
        return missing ? kNewsOk : kNewsFailed;
    NewsStatus status = read_whole(file, out);
    close_locked(file);
    return status;
}

void writeEntry(NewsSlice text, const NewsComponents* components) {
    // Opened for appending: the old content stays whole until the lock is
    // ours.
    bool missing = false;
    FILE* file = open_locked(components, true, &missing);
    if (!file)
        return;
    replace_content(file, text);
    close_locked(file);
}

NewsSyncOutcome syncEntry(const NewsComponents* components, const NewsSyncBody* body,
                          NewsText* stored) {
    *stored = NewsText{nullptr, 0};
    bool missing = false;
    FILE* file = open_locked(components, true, &missing);
    if (!file)
        return kNewsSyncFailed;
    int64_t size = 0;
    NewsSyncOutcome outcome = kNewsSyncFailed;
    if (measure(file, &size)) {
        char prefix[kTagLength] = {};
        size_t prefix_length = size > 0 && !body->expect_empty ? read_prefix(file, prefix) : 0;
        if (news_sync_accepts(body, size, prefix, prefix_length)) {
            outcome = replace_content(file, body->text) ? kNewsSyncWritten : kNewsSyncFailed;
        } else if (read_whole(file, stored) == kNewsOk) {
            outcome = kNewsSyncConflict;
        }
    }
    close_locked(file);
    return outcome;
}

const NewsFileOps kNewsUserFiles = {read_slot, write_slot, sync_slot};
