// How the user guide writes numbers and parameter values: the way a musician
// reads them, not the hosts' fixed two decimals. [build time]
#pragma once
#include <stdint.h>
#include <stdio.h>

// A number rounded to two decimals, without trailing zeros: 12.4222 as
// "12.42", 2.0000000000000004 as "2", -100 as "-100". Writes at most
// `capacity` bytes, terminator included.
void format_number(double v, char* out, size_t capacity);

// A plain value of parameter `index` as the guide shows it: "off" or "on"
// for switches, the note name for a sync rate ("1/4"), a waveform corner
// with its name ("1 (Sine)"), else the number and its unit ("50 %").
void format_value(uint32_t index, double plain, char* out, size_t capacity);

// The range of parameter `index`: "0 to 100 %", "off, on", "1/1. to 1/128T".
void format_range(uint32_t index, char* out, size_t capacity);

// Writes `text` as lines of at most kGuideLineWidth columns, breaking at
// spaces (a word longer than a line stands alone); every line after the
// first starts with `indent`, as Markdown list items continue. Ends with a
// line feed.
void put_wrapped(FILE* f, const char* text, const char* indent);
enum { kGuideLineWidth = 80 };

// The title of parameter `index` (ASCII by construction; any other unit
// comes out as '?', which the guide's drift test would show).
void format_title(uint32_t index, char* out, size_t capacity);
