#include "webui/helper_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

// The child's end may not already sit on the number it is moved to: a
// dup2 onto itself would keep its close-on-exec flag.
int away_from_target(int fd) {
    if (fd != kHelperSocketFd)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, kHelperSocketFd + 1);
    close(fd);
    return moved;
}

bool spawn_with(pid_t* pid, const char* path, char* const argv[], int child_end) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    // The host's descriptors stay with the host, whether or not it marked
    // them close-on-exec; its blocked or ignored signals stay with it too.
    bool ready =
        posix_spawn_file_actions_adddup2(&actions, child_end, kHelperSocketFd) == 0 &&
        posix_spawn_file_actions_addclosefrom_np(&actions, kHelperSocketFd + 1) == 0 &&
        posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
        posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    bool started = ready && posix_spawn(pid, path, &actions, &attributes, argv, environ) == 0;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return started;
}

void sleep_ms(int ms) {
    struct timespec pause = {0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

} // namespace

bool helper_process_start(HelperProcess* helper, const char* path, char* const argv[]) {
    helper->pid = 0;
    helper->fd = -1;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return false;
    int child_end = away_from_target(pair[1]);
    pid_t pid = 0;
    bool started = child_end >= 0 && spawn_with(&pid, path, argv, child_end);
    if (child_end >= 0)
        close(child_end);
    if (!started || fcntl(pair[0], F_SETFL, O_NONBLOCK) != 0) {
        close(pair[0]);
        if (started) {
            helper->pid = pid;
            helper_process_stop(helper, 0);
        }
        return false;
    }
    helper->pid = pid;
    helper->fd = pair[0];
    return true;
}

void helper_process_hang_up(HelperProcess* helper) {
    if (helper->fd >= 0)
        close(helper->fd);
    helper->fd = -1;
}

bool helper_process_reap(HelperProcess* helper) {
    if (helper->pid == 0)
        return true;
    int status = 0;
    pid_t got = waitpid(helper->pid, &status, WNOHANG);
    // ECHILD: the host reaps its children itself (or ignores SIGCHLD).
    if (got == helper->pid || (got < 0 && errno == ECHILD))
        helper->pid = 0;
    return helper->pid == 0;
}

void helper_process_stop(HelperProcess* helper, int grace_ms) {
    helper_process_hang_up(helper);
    for (int waited = 0; waited < grace_ms && !helper_process_reap(helper); waited += 2)
        sleep_ms(2);
    if (helper_process_reap(helper))
        return;
    kill(helper->pid, SIGKILL);
    int status = 0;
    while (waitpid(helper->pid, &status, 0) < 0 && errno == EINTR) {
    }
    helper->pid = 0;
}
