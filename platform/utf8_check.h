// Whether bytes are well-formed UTF-8: no stray or missing continuation
// bytes, overlong forms, surrogates or code points above U+10FFFF. These are
// exactly what the system's strict conversions refuse (Windows' UTF-8 to
// UTF-16 with invalid characters refused, and the web engines' strings), so
// every platform accepts and refuses the same texts. [any thread]
#pragma once
#include <stddef.h>

bool utf8_is_valid(const char* text, size_t length);
