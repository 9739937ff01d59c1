// Whole-stream reading and chunked writing over a host's IBStream, shared by
// the component and the controller. [non-audio threads]
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "state/state_restore.h"
#include "vst3/vst3_interfaces.h"

// Reads the stream from its current position to its end into a new heap
// buffer (the caller frees it); the bytes before that position are the
// host's. The length comes from seeking to the end and back; nothing left to
// read gives a null buffer and length 0. False (nothing allocated) when a
// seek, tell or read fails, a read comes back short, or memory runs out.
bool read_stream(IBStream* stream, uint8_t** buffer, size_t* length);

// Writes the bytes in chunks of at most 2^31-1 bytes, each starting where the
// previous one ended. True only when every byte was written.
bool write_stream(IBStream* stream, const void* bytes, size_t length);

// Reads a saved state from the stream and restores it into the target: all
// 32 values or none. True only when the stream was read and the state taken.
bool restore_from_stream(IBStream* stream, const RestoreTarget* target);
