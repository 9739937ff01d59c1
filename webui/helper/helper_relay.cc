#include "webui/helper/helper_relay.h"

#include <errno.h>
#include <glib-unix.h>
#include <string.h>
#include <sys/socket.h>

namespace {

// Calls into the page; `text` arrives there as a string value.
const char kDeliver[] =
    "if (window.Oka && window.Oka.transport) window.Oka.transport.deliver(text);";

// Writes one whole frame. The socket blocks: the editor reads on its idle
// calls, and a closed socket ends the wait with an error.
bool send_frame(int fd, HelperChannel channel, const char* text, size_t length) {
    uint8_t prefix[kHelperFramePrefix];
    if (!helper_frame_prefix(prefix, channel, length))
        return false;
    struct iovec parts[2] = {{prefix, sizeof prefix}, {(void*)text, length}};
    struct msghdr message = {};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    size_t left = sizeof prefix + length;
    while (left > 0) {
        ssize_t n = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        left -= (size_t)n;
        // Skip what went out, across the two parts.
        while (n > 0 && message.msg_iovlen > 0) {
            size_t take =
                (size_t)n < message.msg_iov->iov_len ? (size_t)n : message.msg_iov->iov_len;
            message.msg_iov->iov_base = (char*)message.msg_iov->iov_base + take;
            message.msg_iov->iov_len -= take;
            n -= (ssize_t)take;
            if (message.msg_iov->iov_len == 0) {
                message.msg_iov++;
                message.msg_iovlen--;
            }
        }
    }
    return true;
}

// Only strings are passed on, as the Windows host takes only string messages.
void page_message(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    HelperRelay* relay = (HelperRelay*)data;
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!jsc_value_is_string(value))
        return;
    char* text = jsc_value_to_string(value);
    if (text && !send_frame(relay->fd, kHelperChannelPage, text, strlen(text)))
        gtk_main_quit();
    g_free(text);
}

void deliver_to_page(HelperRelay* relay, const HelperFrame& frame) {
    if (!g_utf8_validate(frame.text, (gssize)frame.length, nullptr))
        return;
    GVariantDict arguments;
    g_variant_dict_init(&arguments, nullptr);
    g_variant_dict_insert_value(&arguments, "text", g_variant_new_string(frame.text));
    webkit_web_view_call_async_javascript_function(relay->view, kDeliver, -1,
                                                   g_variant_dict_end(&arguments), nullptr, nullptr,
                                                   nullptr, nullptr, nullptr);
}

void control(HelperRelay* relay, const HelperFrame& frame) {
    size_t keyword = strlen(OKA_HELPER_SIZE);
    int width = 0, height = 0;
    if (frame.length > keyword && memcmp(frame.text, OKA_HELPER_SIZE, keyword) == 0 &&
        helper_parse_size(frame.text + keyword, frame.length - keyword, &width, &height)) {
        gtk_window_resize(GTK_WINDOW(relay->window), width, height);
    }
}

// Serves the socket; its end, an error or a broken frame ends the helper.
gboolean readable(gint fd, GIOCondition, gpointer data) {
    HelperRelay* relay = (HelperRelay*)data;
    uint8_t buffer[65536];
    ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return G_SOURCE_CONTINUE;
    if (n <= 0 || !helper_frame_append(&relay->incoming, buffer, (size_t)n)) {
        gtk_main_quit();
        return G_SOURCE_REMOVE;
    }
    HelperFrame frame;
    HelperFrameResult got;
    while ((got = helper_frame_next(&relay->incoming, &frame)) == kHelperFrameReady) {
        if (frame.channel == kHelperChannelPage)
            deliver_to_page(relay, frame);
        else
            control(relay, frame);
    }
    if (got == kHelperFrameBroken) {
        gtk_main_quit();
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

} // namespace

void helper_relay_init(HelperRelay* relay, int fd) {
    memset(relay, 0, sizeof *relay);
    relay->fd = fd;
    helper_frame_reader_init(&relay->incoming);
}

void helper_relay_attach(HelperRelay* relay, WebKitWebView* view,
                         WebKitUserContentManager* content) {
    relay->view = view;
    g_signal_connect(content, "script-message-received::oka", G_CALLBACK(page_message), relay);
    webkit_user_content_manager_register_script_message_handler(content, "oka");
}

bool helper_relay_start(HelperRelay* relay) {
    if (!send_frame(relay->fd, kHelperChannelControl, OKA_HELPER_READY, strlen(OKA_HELPER_READY)))
        return false;
    g_unix_fd_add(relay->fd, (GIOCondition)(G_IO_IN | G_IO_HUP | G_IO_ERR), readable, relay);
    return true;
}

void helper_relay_free(HelperRelay* relay) {
    helper_frame_reader_free(&relay->incoming);
}
