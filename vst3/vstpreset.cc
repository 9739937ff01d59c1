#include "vst3/vstpreset.h"

#include <stdlib.h>
#include <string.h>

static uint8_t* put_u32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = (uint8_t)(v >> (8 * i));
    return at + 4;
}

static uint8_t* put_u64(uint8_t* at, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        at[i] = (uint8_t)(v >> (8 * i));
    return at + 8;
}

void* vstpreset_write(const char* class_id, const void* comp, size_t comp_length,
                      size_t* out_length) {
    if (class_id == nullptr || strlen(class_id) != kVstPresetClassIdLength)
        return nullptr;
    size_t list_offset = kVstPresetHeaderSize + comp_length;
    size_t length = list_offset + 8 + kVstPresetListEntrySize;
    uint8_t* file = (uint8_t*)malloc(length);
    if (file == nullptr)
        return nullptr;
    uint8_t* at = file;
    memcpy(at, "VST3", 4);
    at = put_u32(at + 4, 1);
    memcpy(at, class_id, kVstPresetClassIdLength);
    at = put_u64(at + kVstPresetClassIdLength, list_offset);
    if (comp_length > 0)
        memcpy(at, comp, comp_length);
    at += comp_length;
    memcpy(at, "List", 4);
    at = put_u32(at + 4, 1);
    memcpy(at, "Comp", 4);
    at = put_u64(at + 4, kVstPresetHeaderSize);
    put_u64(at, comp_length);
    *out_length = length;
    return file;
}
