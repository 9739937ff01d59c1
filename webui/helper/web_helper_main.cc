// The web helper: a small program that shows the editor page in WebKitGTK,
// with its window embedded in the editor's X11 window, and relays between the
// page and the editor's socket. It keeps no state of its own: values, the
// value cache and the news service live on the editor's side.
//
// It ends when the socket closes (the editor hung up or its process died),
// when its window is destroyed with the editor's, and, through the
// parent-death signal, when the thread that started it ends.
#include <fcntl.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include "webui/helper/helper_args.h"
#include "webui/helper/helper_relay.h"

namespace {

// Embeds the realized top-level window into the editor's window before it is
// ever mapped, so no window manager takes it for a window of its own.
bool embed_into(GtkWidget* window, unsigned long parent) {
    gtk_widget_realize(window);
    GdkWindow* own = gtk_widget_get_window(window);
    Display* display = gdk_x11_display_get_xdisplay(gdk_window_get_display(own));
    gdk_x11_display_error_trap_push(gdk_window_get_display(own));
    XReparentWindow(display, gdk_x11_window_get_xid(own), (Window)parent, 0, 0);
    return gdk_x11_display_error_trap_pop(gdk_window_get_display(own)) == 0;
}

// A click takes the keyboard focus into the page, which an embedded window
// does not get from the window manager.
gboolean take_focus(GtkWidget* view, GdkEvent*, gpointer) {
    GdkWindow* own = gtk_widget_get_window(gtk_widget_get_toplevel(view));
    GdkDisplay* display = gdk_window_get_display(own);
    gdk_x11_display_error_trap_push(display);
    XSetInputFocus(gdk_x11_display_get_xdisplay(display), gdk_x11_window_get_xid(own),
                   RevertToParent, CurrentTime);
    gdk_x11_display_error_trap_pop_ignored(display);
    return FALSE;
}

gboolean no_context_menu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                         gpointer) {
    return TRUE;
}

// The page's own files stay in the view; every other address opens in the
// desktop's default handler. New windows are never made.
gboolean decide_policy(WebKitWebView*, WebKitPolicyDecision* decision,
                       WebKitPolicyDecisionType type, gpointer) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
        type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        return FALSE;
    }
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    bool own = uri && strncmp(uri, "file:", 5) == 0;
    if (own && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION)
        return FALSE;
    webkit_policy_decision_ignore(decision);
    if (!own && uri)
        g_app_info_launch_default_for_uri(uri, nullptr, nullptr);
    return TRUE;
}

GtkWidget* make_view(HelperRelay* relay) {
    WebKitUserContentManager* content = webkit_user_content_manager_new();
    GtkWidget* view = webkit_web_view_new_with_user_content_manager(content);
    helper_relay_attach(relay, WEBKIT_WEB_VIEW(view), content);
    g_object_unref(content); // the view keeps it
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    g_signal_connect(view, "decide-policy", G_CALLBACK(decide_policy), nullptr);
    g_signal_connect(view, "context-menu", G_CALLBACK(no_context_menu), nullptr);
    g_signal_connect(view, "button-press-event", G_CALLBACK(take_focus), nullptr);
    return view;
}

bool load_page(GtkWidget* view, const char* root) {
    gchar* file = g_build_filename(root, "index.html", nullptr);
    gchar* uri = g_filename_to_uri(file, nullptr, nullptr);
    g_free(file);
    if (!uri)
        return false;
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), uri);
    g_free(uri);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    HelperArgs args;
    if (!helper_parse_args(argc, argv, &args)) {
        fprintf(stderr, "usage: %s --fd N --parent XID --size WxH --root FOLDER --host-pid PID\n",
                argv[0]);
        return 2;
    }
    // The engine's own processes must not hold the socket open after us.
    if (fcntl(args.fd, F_SETFD, FD_CLOEXEC) != 0)
        return 1;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != (pid_t)args.host_pid)
        return 1; // the editor is already gone
    signal(SIGPIPE, SIG_IGN);
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(&argc, &argv))
        return 1;

    HelperRelay relay;
    helper_relay_init(&relay, args.fd);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), args.width, args.height);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    relay.window = window;
    GtkWidget* view = make_view(&relay);
    gtk_container_add(GTK_CONTAINER(window), view);
    if (!load_page(view, args.root) || !embed_into(window, args.parent))
        return 1;
    gtk_widget_show_all(window);
    if (!helper_relay_start(&relay))
        return 1;
    gtk_main();
    helper_relay_free(&relay);
    return 0;
}
