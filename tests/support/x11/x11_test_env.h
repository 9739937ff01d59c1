// What the Linux editor tests share: a private Xvfb display, a parent window
// as a host makes it, and what the process holds now (open descriptors,
// child processes, a window's children) for leak checks. [test thread]
#pragma once
#include <stdint.h>
#include <sys/types.h>
#include <xcb/xcb.h>

#include <string>
#include <vector>

// Starts Xvfb on a display no other server uses and points DISPLAY at it;
// it never resets, so a test's last client leaving does not close it to the
// next.
bool start_private_display(pid_t* server);
void stop_private_display(pid_t server);

// A mapped top-level window of the given size on `connection`: the window a
// host embeds its plug-in's editor in. 0 on failure.
uint32_t make_parent_window(xcb_connection_t* connection, int width, int height);

int open_descriptor_count();
std::vector<pid_t> child_processes();
int child_window_count(xcb_connection_t* connection, uint32_t window);

// The whole content of a file ("" when missing).
std::string read_file(const std::string& path);
