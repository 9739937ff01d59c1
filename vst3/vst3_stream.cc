#include "vst3/vst3_stream.h"

#include <stdlib.h>

static const size_t kMaxChunk = 0x7FFFFFFF;

// [host threads, not audio] A host may hand over a stream of its own (a
// project file, say) positioned where our bytes begin: what lies before the
// current position is not ours, so the state is the rest of the stream.
bool read_stream(IBStream* stream, uint8_t** buffer, size_t* length) {
    if (stream == nullptr || buffer == nullptr || length == nullptr)
        return false;
    int64_t start = 0;
    int64_t end = 0;
    if (stream->vtbl->tell(stream, &start) != kResultOk || start < 0)
        return false;
    if (stream->vtbl->seek(stream, 0, kIBSeekEnd, nullptr) != kResultOk)
        return false;
    if (stream->vtbl->tell(stream, &end) != kResultOk)
        return false;
    if (stream->vtbl->seek(stream, start, kIBSeekSet, nullptr) != kResultOk)
        return false;
    if (end <= start) {
        *buffer = nullptr;
        *length = 0;
        return true;
    }
    if ((uint64_t)(end - start) > (uint64_t)SIZE_MAX)
        return false;
    size_t total = (size_t)(end - start);
    uint8_t* bytes = (uint8_t*)malloc(total);
    if (bytes == nullptr)
        return false;
    for (size_t done = 0; done < total;) {
        size_t chunk = total - done < kMaxChunk ? total - done : kMaxChunk;
        int32_t got = 0;
        tresult result = stream->vtbl->read(stream, bytes + done, (int32_t)chunk, &got);
        if (result != kResultOk || got != (int32_t)chunk) {
            free(bytes);
            return false;
        }
        done += chunk;
    }
    *buffer = bytes;
    *length = total;
    return true;
}

bool write_stream(IBStream* stream, const void* bytes, size_t length) {
    if (stream == nullptr)
        return false;
    const uint8_t* p = (const uint8_t*)bytes;
    for (size_t done = 0; done < length;) {
        size_t chunk = length - done < kMaxChunk ? length - done : kMaxChunk;
        int32_t written = 0;
        tresult result = stream->vtbl->write(stream, (void*)(p + done), (int32_t)chunk, &written);
        if (result != kResultOk || written != (int32_t)chunk)
            return false;
        done += chunk;
    }
    return true;
}

bool restore_from_stream(IBStream* stream, const RestoreTarget* target) {
    uint8_t* buffer = nullptr;
    size_t length = 0;
    if (stream == nullptr || !read_stream(stream, &buffer, &length))
        return false;
    int result = state_restore(target, buffer, length);
    free(buffer);
    return result == 0;
}
