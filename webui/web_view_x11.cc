// The editor side of the Linux web editor: the window, the helper's start and
// end, and the page protocol over the socket. Everything runs on the host's
// UI thread; nothing here blocks except create (waiting for the helper to
// embed its window) and destroy (a moment for the helper to end).
#include "webui/web_view_x11.h"

#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "platform/utf8_check.h"
#include "webui/page_message_parse.h"
#include "webui/page_text.h"

namespace {

// How long create waits for the helper's window, and destroy for its end.
const int kStartTimeoutMs = 15000;
const int kEndGraceMs = 1000;

long long now_ms() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// Stops talking to a helper that ended or broke the protocol; the window
// stays, empty. The process is reaped now or at a later idle. The reader
// keeps its bytes: a text being dispatched may still point into them.
void lose_helper(WebViewHost* host) {
    helper_process_hang_up(&host->helper);
    host->outgoing.used = host->outgoing.sent = 0;
    helper_process_reap(&host->helper);
}

// Writes what the socket takes now; the rest waits for the next idle.
void flush(WebViewHost* host) {
    HelperOutbox* out = &host->outgoing;
    while (host->helper.fd >= 0 && out->sent < out->used) {
        ssize_t n = send(host->helper.fd, out->data + out->sent, out->used - out->sent,
                         MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            out->sent += (size_t)n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                lose_helper(host);
            return;
        }
    }
    out->used = out->sent = 0;
}

// Queues one frame of `head` followed by `body` and sends what it can.
int32_t send_frame(WebViewHost* host, HelperChannel channel, const char* head, const char* body,
                   size_t body_length) {
    size_t head_length = strlen(head);
    uint8_t prefix[kHelperFramePrefix];
    if (host->helper.fd < 0 || !helper_frame_prefix(prefix, channel, head_length + body_length))
        return -1;
    HelperOutbox* out = &host->outgoing;
    if (!helper_outbox_reserve(out, sizeof prefix + head_length + body_length))
        return -1;
    helper_outbox_append(out, prefix, sizeof prefix);
    helper_outbox_append(out, head, head_length);
    helper_outbox_append(out, body, body_length);
    flush(host);
    return host->helper.fd >= 0 ? 0 : -1;
}

// Tells the helper the window's size, for its own window to follow.
int32_t send_size(WebViewHost* host) {
    char size[32];
    snprintf(size, sizeof size, OKA_HELPER_SIZE "%d %d", host->embed.width, host->embed.height);
    return send_frame(host, kHelperChannelControl, size, nullptr, 0);
}

int32_t dispatch_edit(void* context, int kind, uint32_t index, float value) {
    WebViewHost* host = (WebViewHost*)context;
    WebViewEditFn edits[3] = {host->callbacks.beginEdit, host->callbacks.setEdit,
                              host->callbacks.endEdit};
    if (edits[kind])
        edits[kind](host->callbacks.userData, index, value);
    return 0;
}
int32_t edit_begin(void* c, uint32_t i, float v) {
    return dispatch_edit(c, 0, i, v);
}
int32_t edit_set(void* c, uint32_t i, float v) {
    return dispatch_edit(c, 1, i, v);
}
int32_t edit_end(void* c, uint32_t i, float v) {
    return dispatch_edit(c, 2, i, v);
}
void page_text(void* context, const char* utf8) {
    WebViewHost* host = (WebViewHost*)context;
    host->handler(host, utf8);
}
int32_t post_cached_value(void* context, uint32_t index, float value) {
    return webview::setParameter((WebViewHost*)context, index, value);
}

void dispatch_page(WebViewHost* host, const HelperFrame& frame) {
    PageDispatchTable table;
    table.context = host;
    table.edit[0] = edit_begin;
    table.edit[1] = edit_set;
    table.edit[2] = edit_end;
    table.text = host->handler ? page_text : nullptr;
    table.post_value = post_cached_value;
    table.valueCache = host->valueCache;
    table.parameterCount = host->parameterCount;
    page_message_dispatch(&table, frame.text, frame.length);
}

// Reads what the helper sent and acts on each complete frame. Returns true
// once the helper has reported its window embedded. A closed or broken
// socket loses the helper.
bool serve_helper(WebViewHost* host) {
    bool ready = false;
    uint8_t buffer[65536];
    while (host->helper.fd >= 0) {
        ssize_t n = recv(host->helper.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0 || !helper_frame_append(&host->incoming, buffer, (size_t)n)) {
            lose_helper(host);
            break;
        }
        HelperFrame frame;
        HelperFrameResult got = kHelperFrameNone;
        while (host->helper.fd >= 0 &&
               (got = helper_frame_next(&host->incoming, &frame)) == kHelperFrameReady) {
            if (frame.channel == kHelperChannelPage)
                dispatch_page(host, frame);
            else if (strcmp(frame.text, OKA_HELPER_READY) == 0)
                ready = true;
        }
        if (host->helper.fd >= 0 && got == kHelperFrameBroken)
            lose_helper(host);
    }
    return ready;
}

bool wait_until_ready(WebViewHost* host) {
    long long deadline = now_ms() + kStartTimeoutMs;
    while (host->helper.fd >= 0) {
        if (serve_helper(host))
            return true;
        long long left = deadline - now_ms();
        if (left <= 0 || host->helper.fd < 0)
            return false;
        struct pollfd wait = {host->helper.fd, POLLIN, 0};
        poll(&wait, 1, (int)(left < 100 ? left : 100));
    }
    return false;
}

bool start_helper(WebViewHost* host, int width, int height) {
    const char* folder = host->callbacks.loaderFolder(host->callbacks.userData);
    const char* root = host->callbacks.webRoot(host->callbacks.userData);
    if (!folder || !root)
        return false;
    size_t path_length = strlen(folder) + sizeof "/" OKA_WEB_HELPER_NAME;
    char* path = (char*)malloc(path_length);
    if (!path)
        return false;
    snprintf(path, path_length, "%s/%s", folder, OKA_WEB_HELPER_NAME);
    char fd[16], parent[24], size[32], host_pid[24];
    snprintf(fd, sizeof fd, "%d", kHelperSocketFd);
    snprintf(parent, sizeof parent, "%lu", host->webWindow);
    snprintf(size, sizeof size, "%dx%d", width, height);
    snprintf(host_pid, sizeof host_pid, "%ld", (long)getpid());
    char* argv[] = {path,        (char*)"--fd",       fd,       (char*)"--parent",
                    parent,      (char*)"--size",     size,     (char*)"--root",
                    (char*)root, (char*)"--host-pid", host_pid, nullptr};
    bool started = helper_process_start(&host->helper, path, argv);
    free(path);
    return started;
}

void free_host(WebViewHost* host) {
    helper_process_stop(&host->helper, kEndGraceMs);
    x11_embed_close(&host->embed);
    helper_frame_reader_free(&host->incoming);
    helper_outbox_free(&host->outgoing);
    free(host->valueCache);
    free(host);
}

} // namespace

namespace webview {

WebViewHost* create(bool embedded, unsigned long parent, const WebViewCallbacks* callbacks,
                    PageMessageHandler handler, int width, int height, size_t parameterCount) {
    if (!callbacks || !callbacks->loaderFolder || !callbacks->webRoot || parameterCount == 0)
        return nullptr;
    WebViewHost* host = (WebViewHost*)calloc(1, sizeof(WebViewHost));
    if (!host)
        return nullptr;
    host->callbacks = *callbacks;
    host->handler = handler;
    host->parameterCount = parameterCount;
    host->helper = HelperProcess{0, -1};
    helper_frame_reader_init(&host->incoming);
    host->valueCache = (float*)calloc(parameterCount, sizeof(float));
    if (!host->valueCache || !x11_embed_open(&host->embed, embedded ? (uint32_t)parent : 0, width,
                                             height, "Oka Oka Wah")) {
        free_host(host);
        return nullptr;
    }
    host->webWindow = host->embed.window;
    if (!start_helper(host, width, height) || !wait_until_ready(host)) {
        free_host(host);
        return nullptr;
    }
    return host;
}

int32_t setParameter(WebViewHost* host, uint32_t index, float value) {
    if (!host || index >= host->parameterCount)
        return -1;
    host->valueCache[index] = value;
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    char message[kPageValueMessageLength + 1];
    page_value_message(message, index, bits);
    return send_frame(host, kHelperChannelPage, message, nullptr, 0);
}

int32_t sendText(WebViewHost* host, const char* utf8) {
    if (!host || !utf8)
        return -1;
    size_t length = strlen(utf8);
    if (!utf8_is_valid(utf8, length))
        return -1;
    return send_frame(host, kHelperChannelPage, "m ", utf8, length);
}

void destroy(WebViewHost* host) {
    if (!host)
        return;
    if (host->idle_depth > 0) {
        // From an edit callback inside idle: the hang-up stops the dispatch
        // at once, and idle frees the host once the callback has returned.
        host->destroy_pending = true;
        helper_process_hang_up(&host->helper);
        return;
    }
    free_host(host);
}

void idle(WebViewHost* host) {
    // Re-entered (a host running its loop inside an edit callback), idle
    // leaves the work to the outer call: the frame being dispatched still
    // points into the reader's bytes.
    if (!host || host->idle_depth > 0)
        return;
    host->idle_depth = 1;
    if (x11_embed_poll(&host->embed))
        send_size(host);
    serve_helper(host);
    flush(host);
    if (host->helper.fd < 0)
        helper_process_reap(&host->helper);
    host->idle_depth = 0;
    if (host->destroy_pending)
        free_host(host);
}

int32_t resize(WebViewHost* host, int width, int height) {
    if (!host || !x11_embed_resize(&host->embed, width, height))
        return -1;
    return send_size(host);
}

bool window_size(WebViewHost* host, int* width, int* height) {
    return host && x11_embed_size(&host->embed, width, height);
}

int helper_descriptor(const WebViewHost* host) {
    return host ? host->helper.fd : -1;
}

} // namespace webview
