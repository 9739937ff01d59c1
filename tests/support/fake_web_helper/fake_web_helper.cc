// Stands in for the web helper: checks what it inherited, reports "ready",
// then writes every frame the editor sends to the log file named by
// OKA_FAKE_HELPER_LOG (one line each: "page <text>" or "control <text>") and
// sends as page messages the lines a test writes into the FIFO named by
// OKA_FAKE_HELPER_SEND. A line "!garbage" sends a frame no helper sends.
// OKA_FAKE_HELPER_MODE=exit ends it at once, before "ready".
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "webui/helper/helper_args.h"
#include "webui/helper_frames.h"

namespace {

FILE* log_file;

void log_line(const char* kind, const char* text, size_t length) {
    fprintf(log_file, "%s %.*s\n", kind, (int)length, text);
    fflush(log_file);
}

bool send_frame(int fd, HelperChannel channel, const std::string& text) {
    uint8_t prefix[kHelperFramePrefix];
    if (!helper_frame_prefix(prefix, channel, text.size()))
        return false;
    std::string frame((const char*)prefix, sizeof prefix);
    frame += text;
    return send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) == (ssize_t)frame.size();
}

// Descriptors above the socket (besides the log's and the directory
// listing's own) mean the editor leaked some of its host's into us.
void report_descriptors(int socket_fd) {
    std::string extra;
    DIR* dir = opendir("/proc/self/fd");
    for (struct dirent* e; dir && (e = readdir(dir)) != nullptr;) {
        int fd = atoi(e->d_name);
        if (e->d_name[0] == '.' || fd <= 2 || fd == socket_fd || fd == dirfd(dir) ||
            fd == fileno(log_file))
            continue;
        extra += " " + std::to_string(fd);
    }
    if (dir)
        closedir(dir);
    int flags = fcntl(socket_fd, F_GETFD);
    std::string line = "inherited" + (extra.empty() ? std::string(" nothing else") : extra);
    if (flags < 0)
        line = "no socket";
    log_line("start", line.data(), line.size());
}

// Sends each complete line of the FIFO; false once the test closed it.
bool serve_script(int fifo, int socket_fd, std::string* pending) {
    char buffer[4096];
    ssize_t n = read(fifo, buffer, sizeof buffer);
    if (n == 0)
        return false;
    if (n < 0)
        return errno == EAGAIN || errno == EINTR;
    pending->append(buffer, (size_t)n);
    for (size_t end; (end = pending->find('\n')) != std::string::npos;) {
        std::string line = pending->substr(0, end);
        pending->erase(0, end + 1);
        if (line == "!garbage") {
            const char bad[] = "\x02\x00\x00\x00\x07x"; // channel 7
            send(socket_fd, bad, sizeof bad - 1, MSG_NOSIGNAL);
        } else {
            send_frame(socket_fd, kHelperChannelPage, line);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    HelperArgs args;
    const char* log_path = getenv("OKA_FAKE_HELPER_LOG");
    const char* fifo_path = getenv("OKA_FAKE_HELPER_SEND");
    const char* mode = getenv("OKA_FAKE_HELPER_MODE");
    if (!log_path || !fifo_path || !helper_parse_args(argc, argv, &args))
        return 2;
    log_file = fopen(log_path, "ae");
    if (!log_file)
        return 2;
    report_descriptors(args.fd);
    if (mode && strcmp(mode, "exit") == 0)
        return 1;
    int fifo = open(fifo_path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fifo < 0 || !send_frame(args.fd, kHelperChannelControl, OKA_HELPER_READY))
        return 1;
    HelperFrameReader reader;
    helper_frame_reader_init(&reader);
    std::string pending;
    for (;;) {
        struct pollfd fds[2] = {{args.fd, POLLIN, 0}, {fifo, POLLIN, 0}};
        poll(fds, 2, 50);
        if (fds[1].revents & POLLIN)
            serve_script(fifo, args.fd, &pending);
        if (!(fds[0].revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[65536];
        ssize_t n = recv(args.fd, buffer, sizeof buffer, 0);
        if (n <= 0 || !helper_frame_append(&reader, buffer, (size_t)n))
            break;
        HelperFrame frame;
        while (helper_frame_next(&reader, &frame) == kHelperFrameReady) {
            log_line(frame.channel == kHelperChannelPage ? "page" : "control", frame.text,
                     frame.length);
        }
    }
    log_line("end", "", 0);
    return 0;
}
