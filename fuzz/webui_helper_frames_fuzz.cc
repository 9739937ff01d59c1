// The bytes a web helper writes to its editor are outside bytes: whatever
// they hold and however they are cut, the frame reader hands out only texts
// inside what it received, each terminated right after its length.
#include "webui/helper_frames.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// Where the last scan stopped; kept so the scan is not optimised away.
const void* last_seen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks how the rest is cut into reads.
    size_t step = (size_t)data[0] % 13 + 1;
    HelperFrameReader reader;
    helper_frame_reader_init(&reader);
    for (size_t at = 1; at < size; at += step) {
        size_t piece = size - at < step ? size - at : step;
        helper_frame_append(&reader, data + at, piece);
        HelperFrame frame;
        HelperFrameResult got;
        while ((got = helper_frame_next(&reader, &frame)) == kHelperFrameReady) {
            if (frame.text[frame.length] != 0 || frame.length >= kHelperFrameMax ||
                (frame.channel != kHelperChannelPage && frame.channel != kHelperChannelControl))
                abort();
            // Reads the whole text: ASan checks the range.
            last_seen = memchr(frame.text, 0x7f, frame.length);
        }
        if (got == kHelperFrameBroken)
            break;
    }
    helper_frame_reader_free(&reader);
    return 0;
}
