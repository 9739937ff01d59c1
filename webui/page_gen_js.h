// Pieces of JavaScript source shared by the generators of the page's
// scripts. [build time]
#pragma once
#include <stdio.h>

// A JavaScript string literal of a text: quotes and backslashes escaped, and
// every code unit outside printable ASCII as a \u escape (the table's texts
// are ASCII; a byte of UTF-8 would come out as a code unit of its own).
void put_js_string(FILE* f, const char* text);
void put_js_string16(FILE* f, const char16_t* text);
