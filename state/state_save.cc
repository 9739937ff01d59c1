// Builds a saved state from values the module copied under its lock. Every
// stored number is encoded little-endian here, whatever the host's order.
#include "state/state_save.h"

#include <stdint.h>
#include <string.h>

#include "state/state_archive.h"

enum : int32_t {
    kVersionMajor = 1,
    kVersionMinor = 0,
    kVersionRevision = 0,
    kVersionBuild = 1,
};

static void put_u32le(uint8_t out[4], uint32_t v) {
    out[0] = (uint8_t)v;
    out[1] = (uint8_t)(v >> 8);
    out[2] = (uint8_t)(v >> 16);
    out[3] = (uint8_t)(v >> 24);
}

static void put_f32le(uint8_t out[4], float value) {
    uint32_t bits;
    memcpy(&bits, &value, 4);
    put_u32le(out, bits);
}

// The bytes that the archive's maps point at while it is written.
typedef struct SaveBytes {
    uint8_t version[4][4]; // major, minor, revision, build
    uint8_t sample_rate[4];
    uint8_t values[kInputParameterCount][4];
} SaveBytes;

static int insert_text(EntryMap* map, const char* key, const char* text) {
    return entry_map_insert(map, key, strlen(key), text, strlen(text));
}

static int insert_info(EntryMap* info, const SaveBytes* bytes, const char* format) {
    static const char* const kVersionKeys[4] = {"version_major", "version_minor",
                                                "version_revision", "version_build"};
    if (insert_text(info, "id", OKA_STATE_PLUGIN_ID) != 0)
        return -1;
    for (int i = 0; i < 4; i++) {
        if (entry_map_insert(info, kVersionKeys[i], strlen(kVersionKeys[i]), bytes->version[i],
                             4) != 0)
            return -1;
    }
    if (insert_text(info, "format", format) != 0)
        return -1;
    if (insert_text(info, "platform", OKA_STATE_PLATFORM) != 0)
        return -1;
    return entry_map_insert(info, "sample_rate", 11, bytes->sample_rate, 4);
}

static int insert_parameters(EntryMap* parameters, const SaveBytes* bytes) {
    for (uint32_t i = 0; i < kInputParameterCount; i++) {
        const char* id = kParameterDescriptions[i].id;
        if (entry_map_insert(parameters, id, strlen(id), bytes->values[i], 4) != 0)
            return -1;
    }
    return 0;
}

void* state_save(const float values[kInputParameterCount], float sample_rate, const char* format,
                 size_t* out_length) {
    if (!format)
        return nullptr;
    SaveBytes bytes;
    const int32_t version[4] = {kVersionMajor, kVersionMinor, kVersionRevision, kVersionBuild};
    for (int i = 0; i < 4; i++)
        put_u32le(bytes.version[i], (uint32_t)version[i]);
    put_f32le(bytes.sample_rate, sample_rate);
    for (uint32_t i = 0; i < kInputParameterCount; i++)
        put_f32le(bytes.values[i], values[i]);

    StateArchive archive;
    if (state_archive_init(&archive) != 0)
        return nullptr;
    void* result = nullptr;
    if (insert_info(archive.info, &bytes, format) == 0 &&
        insert_parameters(archive.parameters, &bytes) == 0) {
        result = state_archive_write(&archive, out_length);
    }
    state_archive_free(&archive);
    return result;
}
