// Reading and writing the nested archive of a saved state. Reading never
// copies: the four maps of a read archive point into the caller's buffer,
// and the inner archive is parsed in place inside the outer one.
#include "state/state_archive.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "state/kv_map.h"
#include "state/tar.h"

static const char kDspTar[] = "dsp.tar";
static const char kInfoMap[] = "info.map";
static const char kParametersMap[] = "parameters.map";
static const char kVersionEntry[] = "version";
static const char kVersion[] = OKA_STATE_VERSION;

#define LITERAL(s) s, sizeof(s) - 1

int state_archive_init(StateArchive* archive) {
    archive->version = kVersion;
    archive->info = entry_map_new();
    archive->parameters = entry_map_new();
    archive->inner_extras = entry_map_new();
    archive->outer_extras = entry_map_new();
    if (archive->info && archive->parameters && archive->inner_extras && archive->outer_extras)
        return 0;
    state_archive_free(archive);
    errno = ENOMEM;
    return -1;
}

void state_archive_free(StateArchive* archive) {
    entry_map_free(archive->info);
    entry_map_free(archive->parameters);
    entry_map_free(archive->inner_extras);
    entry_map_free(archive->outer_extras);
    archive->info = archive->parameters = nullptr;
    archive->inner_extras = archive->outer_extras = nullptr;
}

static bool is_white_space(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// "1.0", optionally followed by white space only (a hand-edited file may end
// in a newline).
static bool version_accepted(const unsigned char* text, size_t length) {
    if (length < 3 || memcmp(text, kVersion, 3) != 0)
        return false;
    for (size_t i = 3; i < length; i++) {
        if (!is_white_space(text[i]))
            return false;
    }
    return true;
}

// A key/value map stored as an entry of the inner archive.
static EntryMap* read_map_entry(const EntryMap* inner, const char* name, size_t name_length) {
    size_t length = 0;
    const void* bytes = entry_map_find(inner, name, name_length, &length);
    if (!bytes) {
        errno = EINVAL;
        return nullptr;
    }
    return kv_map_read(bytes, length);
}

typedef struct ExtrasCopy {
    EntryMap* into;
    const char* const* skip; // names that are not extras, null-terminated
} ExtrasCopy;

static int32_t copy_extra(const void* key, size_t key_length, const void* value,
                          size_t value_length, void* user) {
    ExtrasCopy* copy = static_cast<ExtrasCopy*>(user);
    for (const char* const* name = copy->skip; *name; name++) {
        if (key_length == strlen(*name) && memcmp(key, *name, key_length) == 0)
            return 0;
    }
    return entry_map_insert(copy->into, key, key_length, value, value_length) == 0 ? 0 : ENOMEM;
}

static EntryMap* copy_extras(const EntryMap* from, const char* const* skip) {
    ExtrasCopy copy = {entry_map_new(), skip};
    if (copy.into && entry_map_for_each(from, copy_extra, &copy) == 0)
        return copy.into;
    entry_map_free(copy.into);
    errno = ENOMEM;
    return nullptr;
}

// Everything after the two archive maps are read; they stay the caller's.
static int read_contents(StateArchive* archive, const EntryMap* outer, const EntryMap* inner) {
    size_t length = 0;
    const void* version = entry_map_find(inner, LITERAL(kVersionEntry), &length);
    if (!version || !version_accepted(static_cast<const unsigned char*>(version), length)) {
        errno = EINVAL;
        return -1;
    }
    if (!(archive->info = read_map_entry(inner, LITERAL(kInfoMap))))
        return -1;
    if (!(archive->parameters = read_map_entry(inner, LITERAL(kParametersMap))))
        return -1;
    archive->version = kVersion;
    static const char* const kInnerNames[] = {kParametersMap, kInfoMap, kVersionEntry, nullptr};
    static const char* const kOuterNames[] = {kDspTar, nullptr};
    if (!(archive->inner_extras = copy_extras(inner, kInnerNames)))
        return -1;
    if (!(archive->outer_extras = copy_extras(outer, kOuterNames)))
        return -1;
    return 0;
}

int state_archive_read(StateArchive* archive, const void* buffer, size_t length) {
    memset(archive, 0, sizeof(*archive));
    EntryMap* outer = tar_read(buffer, length);
    if (!outer)
        return -1;
    size_t dsp_length = 0;
    const void* dsp = entry_map_find(outer, LITERAL(kDspTar), &dsp_length);
    EntryMap* inner = dsp ? tar_read(dsp, dsp_length) : nullptr;
    if (!dsp)
        errno = EINVAL;
    int result = inner ? read_contents(archive, outer, inner) : -1;
    int saved_errno = errno;
    entry_map_free(inner);
    entry_map_free(outer);
    if (result != 0) {
        state_archive_free(archive);
        archive->version = nullptr;
        errno = saved_errno;
    }
    return result;
}

static int32_t insert_pair(const void* key, size_t key_length, const void* value,
                           size_t value_length, void* user) {
    EntryMap* into = static_cast<EntryMap*>(user);
    return entry_map_insert(into, key, key_length, value, value_length) == 0 ? 0 : ENOMEM;
}

// The inner archive "dsp.tar" as a new buffer, or null.
static void* write_inner(const StateArchive* archive, size_t* out_length) {
    size_t info_length = 0, parameters_length = 0;
    void* info = kv_map_write(archive->info, &info_length);
    void* parameters = kv_map_write(archive->parameters, &parameters_length);
    EntryMap* inner = entry_map_new();
    void* result = nullptr;
    if (info && parameters && inner &&
        entry_map_insert(inner, LITERAL(kVersionEntry), kVersion, 3) == 0 &&
        entry_map_insert(inner, LITERAL(kInfoMap), info, info_length) == 0 &&
        entry_map_insert(inner, LITERAL(kParametersMap), parameters, parameters_length) == 0 &&
        entry_map_for_each(archive->inner_extras, insert_pair, inner) == 0) {
        result = tar_write(inner, out_length);
    }
    entry_map_free(inner);
    free(parameters);
    free(info);
    return result;
}

void* state_archive_write(const StateArchive* archive, size_t* out_length) {
    size_t dsp_length = 0;
    void* dsp = write_inner(archive, &dsp_length);
    if (!dsp)
        return nullptr;
    EntryMap* outer = entry_map_new();
    void* result = nullptr;
    if (outer && entry_map_insert(outer, LITERAL(kDspTar), dsp, dsp_length) == 0 &&
        entry_map_for_each(archive->outer_extras, insert_pair, outer) == 0) {
        result = tar_write(outer, out_length);
    }
    entry_map_free(outer);
    free(dsp);
    return result;
}
