// The web helper as a child process of the editor: started with one end of a
// socket pair as its only inherited descriptor, and always reaped, so no
// zombie, descriptor or process outlives the editor. POSIX only.
#pragma once
#include <sys/types.h>

// The descriptor number the helper finds its socket on.
enum : int { kHelperSocketFd = 3 };

struct HelperProcess {
    pid_t pid; // 0 once reaped (or never started)
    int fd;    // our end of the socket pair, non-blocking; -1 once closed
};

// Starts `path` with `argv` (argv[0] first, null-terminated). The child gets
// the other end of a fresh socket pair on kHelperSocketFd, no other
// descriptor of this process, default signal handling and an empty signal
// mask. False (nothing left open) when the pair or the process cannot be
// made. [host UI thread]
bool helper_process_start(HelperProcess* helper, const char* path, char* const argv[]);

// Closes our end of the socket: the helper reads the end of its input and
// quits. [host UI thread]
void helper_process_hang_up(HelperProcess* helper);

// Reaps the helper if it has ended; true when it is gone. Never waits.
// [host UI thread]
bool helper_process_reap(HelperProcess* helper);

// Hangs up, gives the helper `grace_ms` milliseconds to end by itself, then
// kills it, and reaps it in every case. [host UI thread]
void helper_process_stop(HelperProcess* helper, int grace_ms);
