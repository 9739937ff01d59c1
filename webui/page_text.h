// The value message the native side sends to the page, free of system calls.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum : size_t { kPageValueMessageLength = 19 };

// Writes "s %08x %08x" (lower-case digits) and a NUL. [any thread]
void page_value_message(char out[kPageValueMessageLength + 1], uint32_t index, uint32_t bits);
