// The ustar codec. Only the name and the size field are read; the writer
// fills every header identically so that a state saved twice gives the same
// bytes.
#include "state/tar.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

enum : size_t {
    kNameOffset = 0,
    kModeOffset = 100,
    kUidOffset = 108,
    kGidOffset = 116,
    kSizeOffset = 124,
    kSizeDigits = 11,
    kMtimeOffset = 136,
    kChecksumOffset = 148,
    kChecksumFieldSize = 8,
    kTypeOffset = 156,
    kMagicOffset = 257,
    kVersionOffset = 263,
    kEndBlocksSize = 2 * kTarBlockSize,
};

static size_t padded_size(size_t size) {
    return (size + kTarBlockSize - 1) & ~(size_t)(kTarBlockSize - 1);
}

// The size field: eleven octal digits and a NUL, below 2^31. Returns false
// for anything else.
static bool parse_size(const unsigned char* header, size_t* size) {
    const unsigned char* field = header + kSizeOffset;
    if (field[kSizeDigits] != 0 || field[0] > '1')
        return false;
    size_t value = 0;
    for (size_t i = 0; i < kSizeDigits; i++) {
        if (field[i] < '0' || field[i] > '7')
            return false;
        value = value * 8 + (field[i] - '0');
    }
    *size = value;
    return true;
}

EntryMap* tar_read(const void* buffer, size_t length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    EntryMap* map = entry_map_new();
    if (!map)
        return entry_map_fail(nullptr, ENOMEM);
    size_t offset = 0;
    while (offset < length) {
        const unsigned char* header = bytes + offset;
        // A NUL first byte ends the archive, even in a cut-short end block.
        if (header[0] == 0)
            break;
        size_t room = length - offset;
        size_t size;
        if (room < kTarBlockSize || !parse_size(header, &size))
            return entry_map_fail(map, EINVAL);
        if (size > room - kTarBlockSize)
            return entry_map_fail(map, EINVAL);
        const void* name_end = memchr(header, 0, kTarNameFieldSize);
        size_t name_length = kTarNameFieldSize;
        if (name_end)
            name_length = static_cast<const unsigned char*>(name_end) - header;
        if (entry_map_insert(map, header, name_length, header + kTarBlockSize, size) != 0)
            return entry_map_fail(map, ENOMEM);
        offset += kTarBlockSize + padded_size(size);
    }
    return map;
}

// Writes `value` in octal with at least `min_digits` digits (zero-padded)
// followed by a NUL, like printf's "%0*llo"; returns the digit count.
static size_t write_octal(unsigned char* out, uint64_t value, size_t min_digits) {
    unsigned char digits[24];
    size_t count = 0;
    do {
        digits[count++] = static_cast<unsigned char>('0' + (value & 7));
        value >>= 3;
    } while (value);
    while (count < min_digits)
        digits[count++] = '0';
    for (size_t i = 0; i < count; i++)
        out[i] = digits[count - 1 - i];
    out[count] = 0;
    return count;
}

// Checksum as our archives have always carried it: at least five octal
// digits and a NUL at offset 148, then byte 154 forced to NUL, leaving the
// last byte of the field a space.
static void write_checksum(unsigned char* header) {
    memset(header + kChecksumOffset, ' ', kChecksumFieldSize);
    uint64_t sum = 0;
    for (size_t i = 0; i < kTarBlockSize; i++)
        sum += header[i];
    write_octal(header + kChecksumOffset, sum, 5);
    header[kChecksumOffset + 6] = 0;
}

// Fills a header block that is all NUL bytes on entry.
static void write_header(unsigned char* header, const void* name, size_t name_length, size_t size) {
    memcpy(header + kNameOffset, name, name_length);
    memcpy(header + kModeOffset, "0000644", 8);
    memcpy(header + kUidOffset, "0000000", 8);
    memcpy(header + kGidOffset, "0000000", 8);
    write_octal(header + kSizeOffset, size, kSizeDigits);
    memcpy(header + kMtimeOffset, "00000000000", 12);
    header[kTypeOffset] = '0';
    memcpy(header + kMagicOffset, "ustar", 6);
    memcpy(header + kVersionOffset, "00", 2);
    write_checksum(header);
}

typedef struct TarOutput {
    unsigned char* data;
    size_t length;
} TarOutput;

// Nonzero stops the walk: a name the reader could not give back (empty,
// holding a NUL, 100 bytes or more), contents the reader would refuse, or no
// memory.
static int32_t append_entry(const void* key, size_t key_length, const void* value,
                            size_t value_length, void* user) {
    TarOutput* out = static_cast<TarOutput*>(user);
    if (key_length == 0 || key_length > kTarMaxNameLength || memchr(key, 0, key_length))
        return EINVAL;
    if (value_length > kTarMaxEntrySize)
        return EINVAL;
    size_t grow = kTarBlockSize + padded_size(value_length);
    unsigned char* data = static_cast<unsigned char*>(realloc(out->data, out->length + grow));
    if (!data)
        return ENOMEM;
    out->data = data;
    unsigned char* header = data + out->length;
    out->length += grow;
    memset(header, 0, grow);
    write_header(header, key, key_length, value_length);
    if (value_length)
        memcpy(header + kTarBlockSize, value, value_length);
    return 0;
}

void* tar_write(const EntryMap* map, size_t* out_length) {
    int saved_errno = errno;
    TarOutput out = {nullptr, 0};
    if (entry_map_for_each(map, append_entry, &out) == 0) {
        unsigned char* data =
            static_cast<unsigned char*>(realloc(out.data, out.length + kEndBlocksSize));
        if (data) {
            memset(data + out.length, 0, kEndBlocksSize);
            *out_length = out.length + kEndBlocksSize;
            return data;
        }
    }
    free(out.data);
    errno = saved_errno;
    return nullptr;
}
