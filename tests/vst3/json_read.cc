#include "tests/vst3/json_read.h"

#include <ctype.h>
#include <string.h>

namespace {

struct Reader {
    const std::string& s;
    size_t at = 0;

    void space() {
        while (at < s.size() && strchr(" \t\r\n", s[at]) && s[at] != 0)
            ++at;
    }
    bool take(char c) {
        space();
        if (at < s.size() && s[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    bool word(const char* w) {
        size_t n = strlen(w);
        if (s.compare(at, n, w) != 0)
            return false;
        at += n;
        return true;
    }
    void utf8(unsigned c, std::string* out) {
        if (c < 0x80) {
            *out += (char)c;
        } else if (c < 0x800) {
            *out += (char)(0xC0 | (c >> 6));
            *out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out += (char)(0xE0 | (c >> 12));
            *out += (char)(0x80 | ((c >> 6) & 0x3F));
            *out += (char)(0x80 | (c & 0x3F));
        } else {
            *out += (char)(0xF0 | (c >> 18));
            *out += (char)(0x80 | ((c >> 12) & 0x3F));
            *out += (char)(0x80 | ((c >> 6) & 0x3F));
            *out += (char)(0x80 | (c & 0x3F));
        }
    }
    bool hex4(unsigned* c) {
        if (at + 4 > s.size())
            return false;
        *c = 0;
        for (int i = 0; i < 4; ++i) {
            char h = s[at++];
            int d = h >= '0' && h <= '9'   ? h - '0'
                    : h >= 'A' && h <= 'F' ? h - 'A' + 10
                    : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                           : -1;
            if (d < 0)
                return false;
            *c = *c * 16 + (unsigned)d;
        }
        return true;
    }
    bool string(std::string* out) {
        if (!take('"'))
            return false;
        while (at < s.size() && s[at] != '"') {
            unsigned char c = (unsigned char)s[at++];
            if (c < 0x20)
                return false;
            if (c != '\\') {
                *out += (char)c;
                continue;
            }
            if (at >= s.size())
                return false;
            char e = s[at++];
            const char* plain = strchr("\"\\/bfnrt", e);
            if (plain && e != 0) {
                *out += "\"\\/\b\f\n\r\t"[plain - "\"\\/bfnrt"];
            } else if (e == 'u') {
                unsigned u = 0, low = 0;
                if (!hex4(&u))
                    return false;
                if (u >= 0xD800 && u < 0xDC00) {
                    if (!word("\\u") || !hex4(&low) || low < 0xDC00 || low >= 0xE000)
                        return false;
                    u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                }
                utf8(u, out);
            } else {
                return false;
            }
        }
        return take('"');
    }
    bool number(std::string* out) {
        size_t start = at;
        if (at < s.size() && s[at] == '-')
            ++at;
        while (at < s.size() && strchr("0123456789.eE+-", s[at]) && s[at] != 0)
            ++at;
        *out = s.substr(start, at - start);
        return at > start && (isdigit((unsigned char)out->back()) != 0);
    }
    bool value(JsonValue* v) {
        space();
        if (at >= s.size())
            return false;
        char c = s[at];
        if (c == '{') {
            v->kind = JsonValue::kObject;
            ++at;
            if (take('}'))
                return true;
            do {
                std::pair<std::string, JsonValue> m;
                if (!string(&m.first) || !take(':') || !value(&m.second))
                    return false;
                v->members.push_back(m);
            } while (take(','));
            return take('}');
        }
        if (c == '[') {
            v->kind = JsonValue::kArray;
            ++at;
            if (take(']'))
                return true;
            do {
                v->items.emplace_back();
                if (!value(&v->items.back()))
                    return false;
            } while (take(','));
            return take(']');
        }
        if (c == '"') {
            v->kind = JsonValue::kString;
            return string(&v->text);
        }
        if (word("true") || word("false")) {
            v->kind = JsonValue::kBool;
            v->boolean = c == 't';
            return true;
        }
        if (word("null"))
            return true;
        v->kind = JsonValue::kNumber;
        return number(&v->text);
    }
};

} // namespace

const JsonValue* JsonValue::get(const std::string& name) const {
    for (const auto& m : members)
        if (m.first == name)
            return &m.second;
    return nullptr;
}

std::string JsonValue::text_of(const std::string& name) const {
    const JsonValue* v = get(name);
    return v ? v->text : "<missing " + name + ">";
}

bool json_parse(const std::string& document, JsonValue* out) {
    Reader r{document};
    *out = JsonValue();
    if (!r.value(out))
        return false;
    r.space();
    return r.at == document.size();
}
