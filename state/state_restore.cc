// Restoring a saved state: every check runs before anything is applied, so
// a refused state leaves the instance exactly as it was.
#include "state/state_restore.h"

#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

#include "state/state_archive.h"

static bool id_matches(const EntryMap* info) {
    size_t length = 0;
    const void* id = entry_map_find(info, "id", 2, &length);
    return id && length == sizeof(OKA_STATE_PLUGIN_ID) - 1 &&
           memcmp(id, OKA_STATE_PLUGIN_ID, length) == 0;
}

static bool read_value(const EntryMap* parameters, uint32_t index, float* value) {
    const char* key = kParameterDescriptions[index].id;
    size_t length = 0;
    const unsigned char* p =
        static_cast<const unsigned char*>(entry_map_find(parameters, key, strlen(key), &length));
    if (!p || length != 4)
        return false;
    uint32_t bits =
        (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    memcpy(value, &bits, 4);
    return !isnan(*value);
}

static bool read_all_values(const StateArchive* archive, float values[kInputParameterCount]) {
    if (!id_matches(archive->info))
        return false;
    for (uint32_t i = 0; i < kInputParameterCount; i++) {
        if (!read_value(archive->parameters, i, &values[i]))
            return false;
    }
    return true;
}

int state_read_values(const void* buffer, size_t length, float values[kInputParameterCount]) {
    StateArchive archive;
    if (state_archive_read(&archive, buffer, length) != 0)
        return -1;
    float read[kInputParameterCount];
    bool ok = read_all_values(&archive, read);
    state_archive_free(&archive);
    if (!ok) {
        errno = EINVAL;
        return -1;
    }
    memcpy(values, read, sizeof(read));
    return 0;
}

int state_restore(const RestoreTarget* target, const void* buffer, size_t length) {
    if (!target || !target->lock || !target->unlock || !target->set_parameter) {
        errno = EINVAL;
        return -1;
    }
    float values[kInputParameterCount];
    if (state_read_values(buffer, length, values) != 0)
        return -1;
    target->lock(target->user_data);
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        target->set_parameter(target->user_data, i, values[i]);
    target->unlock(target->user_data);
    return 0;
}
