// The web helper's relay between the page and the editor's socket: the
// page's messages (window.webkit.messageHandlers.oka) go out as page frames
// unchanged; page frames from the editor are handed to the page's transport
// (window.Oka.transport.deliver) as string arguments, never as script text;
// control frames resize the window. [web helper main thread]
#pragma once
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "webui/helper_frames.h"

struct HelperRelay {
    int fd; // the socket to the editor
    GtkWidget* window;
    WebKitWebView* view;
    HelperFrameReader incoming;
};

void helper_relay_init(HelperRelay* relay, int fd);

// Registers the page's message channel on the view's content manager; must
// come before the page loads.
void helper_relay_attach(HelperRelay* relay, WebKitWebView* view,
                         WebKitUserContentManager* content);

// Tells the editor the window is embedded and starts serving the socket; its
// end quits the main loop. False when the editor cannot be told.
bool helper_relay_start(HelperRelay* relay);

void helper_relay_free(HelperRelay* relay);
