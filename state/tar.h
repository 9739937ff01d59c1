// The in-memory ustar codec: a buffer of 512-byte blocks <-> an EntryMap of
// entry name -> entry contents.
//
// Every header is written the same way (mode 0000644, owner 0, time 0, a
// regular file, "ustar" magic, version "00"), entries in key order, contents
// padded with NUL bytes to 512, then two NUL blocks and nothing else. The
// reader looks only at the name and the size field.
//
// All functions: [non-audio threads].
#pragma once
#include <stddef.h>

#include "state/entry_map.h"

enum : size_t {
    kTarBlockSize = 512,
    kTarNameFieldSize = 100,
    kTarMaxNameLength = 99,         // longest name the writer emits
    kTarMaxEntrySize = 0x7FFFFFFFu, // largest size the reader accepts
};

// Parses `length` bytes into a new map whose keys and values point into
// `buffer` (which must stay alive and unchanged until that map, and every
// map built from its pointers, is freed). The archive ends at a header whose
// first byte is NUL or at the end of the buffer.
// Fails with null and errno EINVAL for a malformed size field or a header or
// contents running past the end of the buffer, ENOMEM when memory runs out;
// nothing is left allocated. The buffer may be null when length is 0.
EntryMap* tar_read(const void* buffer, size_t length);

// Serializes the map into a new malloc'd buffer (the caller frees it) and
// stores its length through out_length. Returns null, leaving errno alone,
// when a name is empty, holds a NUL byte or is 100 bytes or longer, when
// contents reach 2^31 bytes (the reader would refuse them), or when memory
// runs out.
void* tar_write(const EntryMap* map, size_t* out_length);
