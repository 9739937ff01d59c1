// The web helper's command line, as the editor writes it:
//   zarvo-oka-oka-wah-web --fd N --parent XID --size WxH --root FOLDER
//                         --host-pid PID
// Free of system calls, so its tests run anywhere.
#pragma once
#include <stdint.h>

struct HelperArgs {
    int fd;               // the socket to the editor
    unsigned long parent; // X11 window to embed into
    int width;
    int height;
    const char* root; // folder holding index.html (points into argv)
    long host_pid;    // the editor's process; the helper ends with it
};

// Parses argv[1..argc-1]; every option is required, once, with a value in
// range (fd >= 0, parent and host-pid > 0, sizes 1..32767, root not empty).
// False for anything else. [any thread]
bool helper_parse_args(int argc, char* const argv[], HelperArgs* out);
