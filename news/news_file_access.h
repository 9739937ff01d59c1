// The file operations of the news store that differ between systems: how a
// file is opened, locked, sized and emptied (where it is: news_files.h). The
// rest of the store (news_files.cc) is the same code everywhere.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include "news/news_files.h"

// Opens a file as a binary stream: for reading ("rb"), or for writing ("a+b":
// a missing file is created, an existing one kept whole). Null with errno
// set on failure. [web UI thread]
FILE* news_open_path(const NewsPathChar* path, bool for_writing);

// Waits until the whole file (every possible byte) is this stream's alone,
// against every other stream in this or any other process. [web UI thread]
bool news_lock_whole(FILE* file);
void news_unlock_whole(FILE* file);

// 64-bit positions. [web UI thread]
bool news_seek(FILE* file, int64_t offset, int whence);
int64_t news_tell(FILE* file);

// Cuts the file to length 0; the stream must be positioned at its start, so
// no buffered input outlives the cut. [web UI thread]
bool news_truncate(FILE* file);
