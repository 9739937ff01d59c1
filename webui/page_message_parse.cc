#include "webui/page_message_parse.h"

#include <string.h>

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

PageMessageKind gesture_kind(char c) {
    switch (c) {
    case 'b':
        return kPageMessageBegin;
    case 's':
        return kPageMessageSet;
    case 'e':
        return kPageMessageEnd;
    default:
        return kPageMessageIgnored;
    }
}

PageMessage ignored() {
    PageMessage m;
    memset(&m, 0, sizeof m);
    return m;
}

PageMessage parse_gesture(PageMessageKind kind, const char* body, size_t length,
                          size_t parameterCount) {
    uint32_t index = 0;
    uint32_t bits = 0;
    size_t used = page_message_read_hex(body, length, &index);
    if (used == 0)
        return ignored();
    if (page_message_read_hex(body + used, length - used, &bits) == 0)
        return ignored();
    if (index >= parameterCount)
        return ignored();
    PageMessage m = ignored();
    m.kind = kind;
    m.index = index;
    m.bits = bits;
    return m;
}

} // namespace

size_t page_message_read_hex(const char* text, size_t length, uint32_t* out) {
    size_t i = 0;
    while (i < length && is_space(text[i]))
        ++i;
    if (i + 2 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hex_digit(text[i + 2]) >= 0) {
        i += 2;
    }
    size_t first = i;
    uint64_t value = 0;
    while (i < length && hex_digit(text[i]) >= 0) {
        value = value * 16 + (uint64_t)hex_digit(text[i]);
        if (value > 0xFFFFFFFFull)
            return 0;
        ++i;
    }
    if (i == first)
        return 0;
    *out = (uint32_t)value;
    return i;
}

PageMessage page_message_parse(const char* utf8, size_t length, size_t parameterCount) {
    if (length == 0)
        return ignored();
    // The body starts after the kind and its separator; a message of one
    // character has an empty body rather than one read past its end.
    const char* body = utf8 + (length >= 2 ? 2 : length);
    size_t body_length = length >= 2 ? length - 2 : 0;
    char kind = utf8[0];
    if (gesture_kind(kind) != kPageMessageIgnored)
        return parse_gesture(gesture_kind(kind), body, body_length, parameterCount);
    PageMessage m = ignored();
    if (kind == 'g') {
        m.kind = kPageMessageGetAll;
    } else if (kind == 'm') {
        m.kind = kPageMessageText;
        m.text = body;
        m.text_length = body_length;
    }
    return m;
}

void page_message_dispatch(const PageDispatchTable* table, const char* utf8, size_t length) {
    PageMessage m = page_message_parse(utf8, length, table->parameterCount);
    switch (m.kind) {
    case kPageMessageBegin:
    case kPageMessageSet:
    case kPageMessageEnd: {
        float value;
        memcpy(&value, &m.bits, sizeof value);
        table->valueCache[m.index] = value;
        table->edit[m.kind - kPageMessageBegin](table->context, m.index, value);
        break;
    }
    case kPageMessageGetAll:
        for (size_t i = 0; i < table->parameterCount; ++i)
            table->post_value(table->context, (uint32_t)i, table->valueCache[i]);
        break;
    case kPageMessageText:
        if (table->text)
            table->text(table->context, m.text);
        break;
    case kPageMessageIgnored:
        break;
    }
}
