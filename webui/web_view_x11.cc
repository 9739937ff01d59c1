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

long long nowMs() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// Stops talking to a helper that ended or broke the protocol; the window
// stays, empty. The process is reaped now or at a later idle. The reader
// keeps its bytes: a text being dispatched may still point into them.
void loseHelper(WebViewHost* host) {
    helperProcessHangUp(&host->helper);
    host->outgoing.used = host->outgoing.sent = 0;
    helperProcessReap(&host->helper);
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
                loseHelper(host);
            return;
        }
    }
    out->used = out->sent = 0;
}

// Queues one frame of `head` followed by `body` and sends what it can.
int32_t sendFrame(WebViewHost* host, HelperChannel channel, const char* head, const char* body,
                  size_t bodyLength) {
    size_t headLength = strlen(head);
    uint8_t prefix[kHelperFramePrefix];
    if (host->helper.fd < 0 || !helperFramePrefix(prefix, channel, headLength + bodyLength))
        return -1;
    HelperOutbox* out = &host->outgoing;
    if (!helperOutboxReserve(out, sizeof prefix + headLength + bodyLength))
        return -1;
    helperOutboxAppend(out, prefix, sizeof prefix);
    helperOutboxAppend(out, head, headLength);
    helperOutboxAppend(out, body, bodyLength);
    flush(host);
    return host->helper.fd >= 0 ? 0 : -1;
}

// Tells the helper the window's size, for its own window to follow.
int32_t sendSize(WebViewHost* host) {
    char size[32];
    snprintf(size, sizeof size, OKA_HELPER_SIZE "%d %d", host->embed.width, host->embed.height);
    return sendFrame(host, kHelperChannelControl, size, nullptr, 0);
}

int32_t dispatchEdit(void* context, int kind, uint32_t index, float value) {
    WebViewHost* host = (WebViewHost*)context;
    WebViewEditFn edits[3] = {host->callbacks.beginEdit, host->callbacks.setEdit,
                              host->callbacks.endEdit};
    if (edits[kind])
        edits[kind](host->callbacks.userData, index, value);
    return 0;
}
int32_t editBegin(void* c, uint32_t i, float v) {
    return dispatchEdit(c, 0, i, v);
}
int32_t editSet(void* c, uint32_t i, float v) {
    return dispatchEdit(c, 1, i, v);
}
int32_t editEnd(void* c, uint32_t i, float v) {
    return dispatchEdit(c, 2, i, v);
}
void pageText(void* context, const char* utf8) {
    WebViewHost* host = (WebViewHost*)context;
    host->handler(host, utf8);
}
int32_t postCachedValue(void* context, uint32_t index, float value) {
    return webview::setParameter((WebViewHost*)context, index, value);
}

void dispatchPage(WebViewHost* host, const HelperFrame& frame) {
    PageDispatchTable table;
    table.context = host;
    table.edit[0] = editBegin;
    table.edit[1] = editSet;
    table.edit[2] = editEnd;
    table.text = host->handler ? pageText : nullptr;
    table.postValue = postCachedValue;
    table.valueCache = host->valueCache;
    table.parameterCount = host->parameterCount;
    pageMessageDispatch(&table, frame.text, frame.length);
}

// Reads what the helper sent and acts on each complete frame. Returns true
// once the helper has reported its window embedded. A closed or broken
// socket loses the helper.
bool serveHelper(WebViewHost* host) {
    bool ready = false;
    uint8_t buffer[65536];
    while (host->helper.fd >= 0) {
        ssize_t n = recv(host->helper.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0 || !helperFrameAppend(&host->incoming, buffer, (size_t)n)) {
            loseHelper(host);
            break;
        }
        HelperFrame frame;
        HelperFrameResult got = kHelperFrameNone;
        while (host->helper.fd >= 0 &&
               (got = helperFrameNext(&host->incoming, &frame)) == kHelperFrameReady) {
            if (frame.channel == kHelperChannelPage)
                dispatchPage(host, frame);
            else if (strcmp(frame.text, OKA_HELPER_READY) == 0)
                ready = true;
        }
        if (host->helper.fd >= 0 && got == kHelperFrameBroken)
            loseHelper(host);
    }
    return ready;
}

bool waitUntilReady(WebViewHost* host) {
    long long deadline = nowMs() + kStartTimeoutMs;
    while (host->helper.fd >= 0) {
        if (serveHelper(host))
            return true;
        long long left = deadline - nowMs();
        if (left <= 0 || host->helper.fd < 0)
            return false;
        struct pollfd wait = {host->helper.fd, POLLIN, 0};
        poll(&wait, 1, (int)(left < 100 ? left : 100));
    }
    return false;
}

bool startHelper(WebViewHost* host, int width, int height) {
    const char* folder = host->callbacks.loaderFolder(host->callbacks.userData);
    const char* root = host->callbacks.webRoot(host->callbacks.userData);
    if (!folder || !root)
        return false;
    size_t pathLength = strlen(folder) + sizeof "/" OKA_WEB_HELPER_NAME;
    char* path = (char*)malloc(pathLength);
    if (!path)
        return false;
    snprintf(path, pathLength, "%s/%s", folder, OKA_WEB_HELPER_NAME);
    char fd[16], parent[24], size[32], hostPid[24];
    snprintf(fd, sizeof fd, "%d", kHelperSocketFd);
    snprintf(parent, sizeof parent, "%lu", host->webWindow);
    snprintf(size, sizeof size, "%dx%d", width, height);
    snprintf(hostPid, sizeof hostPid, "%ld", (long)getpid());
    char* argv[] = {path,        (char*)"--fd",       fd,      (char*)"--parent",
                    parent,      (char*)"--size",     size,    (char*)"--root",
                    (char*)root, (char*)"--host-pid", hostPid, nullptr};
    bool started = helperProcessStart(&host->helper, path, argv);
    free(path);
    return started;
}

void freeHost(WebViewHost* host) {
    helperProcessStop(&host->helper, kEndGraceMs);
    x11EmbedClose(&host->embed);
    helperFrameReaderFree(&host->incoming);
    helperOutboxFree(&host->outgoing);
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
    helperFrameReaderInit(&host->incoming);
    host->valueCache = (float*)calloc(parameterCount, sizeof(float));
    if (!host->valueCache || !x11EmbedOpen(&host->embed, embedded ? (uint32_t)parent : 0, width,
                                           height, "Oka Oka Wah")) {
        freeHost(host);
        return nullptr;
    }
    host->webWindow = host->embed.window;
    if (!startHelper(host, width, height) || !waitUntilReady(host)) {
        freeHost(host);
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
    pageValueMessage(message, index, bits);
    return sendFrame(host, kHelperChannelPage, message, nullptr, 0);
}

int32_t sendText(WebViewHost* host, const char* utf8) {
    if (!host || !utf8)
        return -1;
    size_t length = strlen(utf8);
    if (!utf8_is_valid(utf8, length))
        return -1;
    return sendFrame(host, kHelperChannelPage, "m ", utf8, length);
}

void destroy(WebViewHost* host) {
    if (!host)
        return;
    if (host->idleDepth > 0) {
        // From an edit callback inside idle: the hang-up stops the dispatch
        // at once, and idle frees the host once the callback has returned.
        host->destroyPending = true;
        helperProcessHangUp(&host->helper);
        return;
    }
    freeHost(host);
}

void idle(WebViewHost* host) {
    // Re-entered (a host running its loop inside an edit callback), idle
    // leaves the work to the outer call: the frame being dispatched still
    // points into the reader's bytes.
    if (!host || host->idleDepth > 0)
        return;
    host->idleDepth = 1;
    if (x11EmbedPoll(&host->embed))
        sendSize(host);
    serveHelper(host);
    flush(host);
    if (host->helper.fd < 0)
        helperProcessReap(&host->helper);
    host->idleDepth = 0;
    if (host->destroyPending)
        freeHost(host);
}

int32_t resize(WebViewHost* host, int width, int height) {
    if (!host || !x11EmbedResize(&host->embed, width, height))
        return -1;
    return sendSize(host);
}

bool windowSize(WebViewHost* host, int* width, int* height) {
    return host && x11EmbedSize(&host->embed, width, height);
}

int helperDescriptor(const WebViewHost* host) {
    return host ? host->helper.fd : -1;
}

} // namespace webview
