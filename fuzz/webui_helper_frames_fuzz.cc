// The bytes a web helper writes to its editor are outside bytes: whatever
// they hold and however they are cut, the frame reader hands out only texts
// inside what it received, each terminated right after its length.
#include "webui/helper_frames.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// Where the last scan stopped; kept so the scan is not optimised away.
const void* lastSeen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks how the rest is cut into reads.
    size_t step = (size_t)data[0] % 13 + 1;
    HelperFrameReader reader;
    helperFrameReaderInit(&reader);
    for (size_t at = 1; at < size; at += step) {
        size_t piece = size - at < step ? size - at : step;
        helperFrameAppend(&reader, data + at, piece);
        HelperFrame frame;
        HelperFrameResult got;
        while ((got = helperFrameNext(&reader, &frame)) == kHelperFrameReady) {
            if (frame.text[frame.length] != 0 || frame.length >= kHelperFrameMax ||
                (frame.channel != kHelperChannelPage && frame.channel != kHelperChannelControl))
                abort();
            // Reads the whole text: ASan checks the range.
            lastSeen = memchr(frame.text, 0x7f, frame.length);
        }
        if (got == kHelperFrameBroken)
            break;
    }
    helperFrameReaderFree(&reader);
    return 0;
}
