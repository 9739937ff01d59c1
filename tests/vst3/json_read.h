// A strict JSON reader for the tests that check generated files: objects
// keep their members in order, numbers keep their text.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct JsonValue {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool boolean = false;
    std::string text; // a string's UTF-8 value, or a number as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // The member of that name, or null when there is none (or no object).
    const JsonValue* get(const std::string& name) const;
    // The member's string or number text; "<missing name>" when absent.
    std::string text_of(const std::string& name) const;
};

// Parses a whole document; false on any syntax error or trailing text.
bool json_parse(const std::string& document, JsonValue* out);
