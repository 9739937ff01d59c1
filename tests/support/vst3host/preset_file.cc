#include "tests/support/vst3host/preset_file.h"

#include <stdio.h>
#include <string.h>

#include "tests/support/vst3host/vst3host.h"

enum : size_t { kHeaderSize = 48, kClassIdAt = 8, kListOffsetAt = 40, kEntrySize = 20 };

// This host passes class ids in its platform's order: on Windows the memory
// image of a GUID (the first word and the two halves of the second
// little-endian, the last eight bytes as written), elsewhere all 16 bytes
// big-endian.
std::string vst3host_class_id_text(const TUID cid) {
#ifdef _WIN32
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
#else
    const int order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
#endif
    std::string text;
    char digits[3];
    for (int i : order) {
        snprintf(digits, sizeof digits, "%02X", cid[i]);
        text += digits;
    }
    return text;
}

static uint64_t get_u64(const uint8_t* at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

static uint32_t get_u32(const uint8_t* at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

static bool refuse(std::string* error, const std::string& why) {
    if (error != nullptr)
        *error = why;
    return false;
}

// True when [offset, offset + size) lies inside a file of `length` bytes,
// with no sum that could wrap.
static bool inside(uint64_t offset, uint64_t size, size_t length) {
    return offset <= length && size <= length - offset;
}

bool vst3host_read_preset(const std::vector<uint8_t>& file, const TUID class_id, PresetChunk* comp,
                          std::string* error) {
    const size_t n = file.size();
    const uint8_t* f = file.data();
    if (n < kHeaderSize || memcmp(f, "VST3", 4) != 0)
        return refuse(error, "not a .vstpreset file (no VST3 header)");
    if (get_u32(f + 4) != 1)
        return refuse(error, "unknown .vstpreset version " + std::to_string(get_u32(f + 4)));
    std::string mine = vst3host_class_id_text(class_id);
    std::string theirs((const char*)f + kClassIdAt, 32);
    if (theirs != mine)
        return refuse(error, "preset made for class " + theirs + ", not this plug-in's " + mine);
    uint64_t list = get_u64(f + kListOffsetAt);
    if (list < kHeaderSize || !inside(list, 8, n) || memcmp(f + list, "List", 4) != 0)
        return refuse(error, "no chunk list at offset " + std::to_string(list) + " of " +
                                 std::to_string(n) + " bytes");
    uint32_t count = get_u32(f + list + 4);
    if (!inside(list + 8, (uint64_t)count * kEntrySize, n))
        return refuse(error, "chunk list of " + std::to_string(count) + " entries is cut off at " +
                                 std::to_string(n) + " bytes");
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = f + list + 8 + (size_t)i * kEntrySize;
        if (memcmp(entry, "Comp", 4) != 0)
            continue;
        uint64_t offset = get_u64(entry + 4);
        uint64_t size = get_u64(entry + 12);
        if (!inside(offset, size, n))
            return refuse(error, "Comp chunk (" + std::to_string(size) + " bytes at " +
                                     std::to_string(offset) + ") runs past the end of the file");
        comp->offset = (size_t)offset;
        comp->size = (size_t)size;
        return true;
    }
    return refuse(error, "no component state (Comp chunk) in the chunk list");
}

bool vst3host_load_preset(const std::vector<uint8_t>& file, const TUID class_id,
                          IComponent* component, IEditController* controller, std::string* error) {
    PresetChunk comp;
    if (!vst3host_read_preset(file, class_id, &comp, error))
        return false;
    MemoryStream stream;
    memory_stream_init(&stream);
    stream.bytes.assign(file.begin() + (ptrdiff_t)comp.offset,
                        file.begin() + (ptrdiff_t)(comp.offset + comp.size));
    tresult result = component->vtbl->setState(component, &stream.iface);
    if (result != kResultOk)
        return refuse(error, "the component refused the preset's state (setState returned " +
                                 std::to_string(result) + ")");
    if (controller != nullptr) {
        memory_stream_rewind(&stream);
        result = controller->vtbl->setComponentState(controller, &stream.iface);
        if (result != kResultOk)
            return refuse(error, "the controller refused the preset's state (returned " +
                                     std::to_string(result) + ")");
    }
    return true;
}
