#include "webui/helper_frames.h"

#include <stdlib.h>
#include <string.h>

namespace {

uint32_t read_length(const uint8_t* at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

// Puts back the byte a handed-out text's NUL covered, and drops the frames
// already handed out once nothing of them is referenced any more.
void release(HelperFrameReader* reader) {
    if (reader->holding) {
        reader->data[reader->held] = reader->held_byte;
        reader->holding = false;
    }
    if (reader->consumed == 0)
        return;
    memmove(reader->data, reader->data + reader->consumed, reader->used - reader->consumed);
    reader->used -= reader->consumed;
    reader->consumed = 0;
}

bool reserve(HelperFrameReader* reader, size_t needed) {
    if (needed <= reader->capacity)
        return true;
    size_t capacity = reader->capacity ? reader->capacity : 4096;
    while (capacity < needed)
        capacity *= 2;
    uint8_t* grown = (uint8_t*)realloc(reader->data, capacity);
    if (!grown)
        return false;
    reader->data = grown;
    reader->capacity = capacity;
    return true;
}

} // namespace

bool helper_frame_prefix(uint8_t out[kHelperFramePrefix], HelperChannel channel, size_t length) {
    if (length > kHelperFrameMax - 1)
        return false;
    uint32_t total = (uint32_t)length + 1;
    for (int i = 0; i < 4; i++)
        out[i] = (uint8_t)(total >> (8 * i));
    out[4] = channel;
    return true;
}

void helper_frame_reader_init(HelperFrameReader* reader) {
    memset(reader, 0, sizeof *reader);
}

void helper_frame_reader_free(HelperFrameReader* reader) {
    free(reader->data);
    helper_frame_reader_init(reader);
}

bool helper_frame_append(HelperFrameReader* reader, const void* bytes, size_t length) {
    if (reader->broken)
        return false;
    release(reader);
    // One byte more than held, for the NUL after a frame at the very end.
    if (length > kHelperFrameMax * 2 || !reserve(reader, reader->used + length + 1)) {
        reader->broken = true;
        return false;
    }
    memcpy(reader->data + reader->used, bytes, length);
    reader->used += length;
    return true;
}

HelperFrameResult helper_frame_next(HelperFrameReader* reader, HelperFrame* out) {
    if (reader->broken)
        return kHelperFrameBroken;
    if (reader->holding) {
        reader->data[reader->held] = reader->held_byte;
        reader->holding = false;
    }
    size_t at = reader->consumed;
    size_t available = reader->used - at;
    if (available < 4)
        return kHelperFrameNone;
    uint32_t total = read_length(reader->data + at);
    if (total == 0 || total > kHelperFrameMax) {
        reader->broken = true;
        return kHelperFrameBroken;
    }
    if (available - 4 < total)
        return kHelperFrameNone;
    uint8_t channel = reader->data[at + 4];
    if (channel != kHelperChannelPage && channel != kHelperChannelControl) {
        reader->broken = true;
        return kHelperFrameBroken;
    }
    size_t end = at + 4 + total;
    // The byte after the frame (the next frame's first, or spare room) turns
    // into the text's terminator until the next call.
    reader->held = end;
    reader->held_byte = reader->data[end];
    reader->holding = true;
    reader->data[end] = 0;
    reader->consumed = end;
    out->channel = (HelperChannel)channel;
    out->text = (const char*)reader->data + at + 5;
    out->length = total - 1;
    return kHelperFrameReady;
}

bool helper_parse_size(const char* text, size_t length, int* width, int* height) {
    int values[2] = {0, 0};
    size_t at = 0;
    for (int i = 0; i < 2; i++) {
        if (i == 1) {
            if (at >= length || text[at] != ' ')
                return false;
            at++;
        }
        size_t first = at;
        while (at < length && text[at] >= '0' && text[at] <= '9' && at - first < 5)
            values[i] = values[i] * 10 + (text[at++] - '0');
        if (at == first || values[i] < 1 || values[i] > 32767)
            return false;
    }
    if (at != length)
        return false;
    *width = values[0];
    *height = values[1];
    return true;
}
