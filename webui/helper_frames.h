// Frames on the socket between an editor and its web helper process.
//
// A frame is a 4-byte little-endian length, then that many bytes: one channel
// byte and the message. Channel 0 carries the page protocol's texts unchanged
// in both directions ("b", "s", "e", "g", "m" from the page; "s %08x %08x"
// and "m " to it); channel 1 carries the two processes' own control texts, so
// nothing the page posts can be taken for one. Free of system calls: both
// processes and the fuzz target use it.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum HelperChannel : uint8_t {
    kHelperChannelPage = 0,
    kHelperChannelControl = 1,
};

enum : size_t {
    kHelperFramePrefix = 5, // the length and the channel byte
    // Longer frames are refused: a peer that sends one is broken.
    kHelperFrameMax = 16u << 20,
};

// Control texts.
#define OKA_HELPER_READY "ready" // helper -> editor: the window is embedded
#define OKA_HELPER_SIZE "size "  // editor -> helper: "size W H", the new size

// Writes the length and channel of a frame whose message is `length` bytes into `out`.
// False when the frame would be longer than kHelperFrameMax. [any thread]
bool helper_frame_prefix(uint8_t out[kHelperFramePrefix], HelperChannel channel, size_t length);

// Collects received bytes and cuts them into frames. Each message handed out
// is followed by a NUL byte in the buffer, so texts can be read as C strings.
struct HelperFrameReader {
    uint8_t* data;
    size_t used;     // bytes held
    size_t consumed; // bytes of frames already handed out
    size_t capacity;
    size_t held;       // where a NUL stands in for the next frame's first byte
    uint8_t held_byte; // that byte
    bool holding;
    bool broken; // a frame was too long or memory ran out: the peer is lost
};

struct HelperFrame {
    HelperChannel channel;
    const char* text; // NUL-terminated; valid until the next call on the reader
    size_t length;    // without the NUL
};

enum HelperFrameResult { kHelperFrameNone = 0, kHelperFrameReady = 1, kHelperFrameBroken = -1 };

// [any thread, one at a time per reader]
void helper_frame_reader_init(HelperFrameReader* reader);
void helper_frame_reader_free(HelperFrameReader* reader);

// Appends received bytes; false (and the reader broken) when memory runs out.
bool helper_frame_append(HelperFrameReader* reader, const void* bytes, size_t length);

// The next complete frame, none while one is still incomplete, or broken for
// a frame longer than kHelperFrameMax or with an unknown channel.
HelperFrameResult helper_frame_next(HelperFrameReader* reader, HelperFrame* out);

// Reads "size W H" (after the keyword): two decimal numbers from 1 to 32767.
// [any thread]
bool helper_parse_size(const char* text, size_t length, int* width, int* height);
