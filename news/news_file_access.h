// The file operations of the news store that differ between systems: where
// an entry's file is, how it is opened, locked, sized and emptied. The rest
// of the store (news_files.cc) is the same code everywhere.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include "news/news_store.h"

// Opens an entry's file as a binary stream: for reading ("rb"), or for
// writing ("a+b": a missing file is created, an existing one kept whole),
// after creating its folders. Null on failure; *missing tells a file that
// does not exist, or whose path cannot be built. [web UI thread]
FILE* newsOpenEntry(const NewsComponents* components, bool forWriting, bool* missing);

// Waits until the whole file (every possible byte) is this stream's alone,
// against every other stream in this or any other process. [web UI thread]
bool newsLockWhole(FILE* file);
void newsUnlockWhole(FILE* file);

// 64-bit positions. [web UI thread]
bool newsSeek(FILE* file, int64_t offset, int whence);
int64_t newsTell(FILE* file);

// Cuts the file to length 0; the stream must be positioned at its start, so
// no buffered input outlives the cut. [web UI thread]
bool newsTruncate(FILE* file);
