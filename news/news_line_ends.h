// Line ends of the stored texts. On disk a line feed is stored as carriage
// return + line feed and read back as a line feed, as the C runtime's text
// mode does; the store converts itself and opens files in binary mode, so a
// Ctrl-Z byte in a text neither ends a read nor gets cut off the file's end
// (text mode does both, losing the rest of the text).
#pragma once
#include <stddef.h>

// Turns every CR LF pair into LF in place; returns the new length. A lone CR
// stays. [any thread]
size_t news_lines_from_disk(char* text, size_t length);
