// Parsing and dispatch of the editor page's text messages, free of Windows
// calls so the same code builds natively for its unit tests and fuzz target.
//
// Page -> native: the first character selects the kind ("b", "s", "e": gesture
// begin / set / end with "%x %x" index and float bit pattern; "g": send every
// value; "m": text for the page-message handler); the second character is a
// separator and is skipped whatever it is.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum PageMessageKind : uint8_t {
    kPageMessageIgnored = 0, // unknown kind, malformed numbers, index too big
    kPageMessageBegin,
    kPageMessageSet,
    kPageMessageEnd,
    kPageMessageGetAll,
    kPageMessageText,
};

struct PageMessage {
    PageMessageKind kind;
    uint32_t index;     // gestures only
    uint32_t bits;      // gestures only: the float's bit pattern
    const char* text;   // "m" only: the body, inside the parsed bytes
    size_t text_length; // "m" only
};

// Parses `length` bytes at `utf8` (no terminator needed, none read). A gesture
// whose index is not below `parameterCount` is ignored. [any thread]
PageMessage page_message_parse(const char* utf8, size_t length, size_t parameterCount);

// Reads one hexadecimal number the way sscanf's "%x" does (leading white space,
// optional 0x prefix), refusing values above 32 bits. Returns the number of
// bytes consumed, or 0 when there is no number. [any thread]
size_t page_message_read_hex(const char* text, size_t length, uint32_t* out);

// The dispatcher's view of its host: everything it calls, plus the cache.
struct PageDispatchTable {
    void* context;
    int32_t (*edit[3])(void* context, uint32_t index, float value);    // b, s, e
    void (*text)(void* context, const char* utf8);                     // null: "m" is ignored
    int32_t (*post_value)(void* context, uint32_t index, float value); // to page
    float* valueCache;
    size_t parameterCount;
};

// Acts on one NUL-terminated page message of `length` bytes: stores gesture
// values in the cache before forwarding them, answers "g" with every cached
// value in rising index order, passes "m" text on. [web UI thread]
void page_message_dispatch(const PageDispatchTable* table, const char* utf8, size_t length);
