#include "webui/page_message_parse.h"

#include <string.h>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

PageMessageKind gestureKind(char c) {
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

PageMessage parseGesture(PageMessageKind kind, const char* body, size_t length,
                         size_t parameterCount) {
    uint32_t index = 0;
    uint32_t bits = 0;
    size_t used = pageMessageReadHex(body, length, &index);
    if (used == 0)
        return ignored();
    if (pageMessageReadHex(body + used, length - used, &bits) == 0)
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

size_t pageMessageReadHex(const char* text, size_t length, uint32_t* out) {
    size_t i = 0;
    while (i < length && isSpace(text[i]))
        ++i;
    if (i + 2 < length && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    size_t first = i;
    uint64_t value = 0;
    while (i < length && hexDigit(text[i]) >= 0) {
        value = value * 16 + (uint64_t)hexDigit(text[i]);
        if (value > 0xFFFFFFFFull)
            return 0;
        ++i;
    }
    if (i == first)
        return 0;
    *out = (uint32_t)value;
    return i;
}

PageMessage pageMessageParse(const char* utf8, size_t length, size_t parameterCount) {
    if (length == 0)
        return ignored();
    // The body starts after the kind and its separator; a message of one
    // character has an empty body rather than one read past its end.
    const char* body = utf8 + (length >= 2 ? 2 : length);
    size_t bodyLength = length >= 2 ? length - 2 : 0;
    char kind = utf8[0];
    if (gestureKind(kind) != kPageMessageIgnored)
        return parseGesture(gestureKind(kind), body, bodyLength, parameterCount);
    PageMessage m = ignored();
    if (kind == 'g') {
        m.kind = kPageMessageGetAll;
    } else if (kind == 'm') {
        m.kind = kPageMessageText;
        m.text = body;
        m.textLength = bodyLength;
    }
    return m;
}

void pageMessageDispatch(const PageDispatchTable* table, const char* utf8, size_t length) {
    PageMessage m = pageMessageParse(utf8, length, table->parameterCount);
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
            table->postValue(table->context, (uint32_t)i, table->valueCache[i]);
        break;
    case kPageMessageText:
        if (table->text)
            table->text(table->context, m.text);
        break;
    case kPageMessageIgnored:
        break;
    }
}
