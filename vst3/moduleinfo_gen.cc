// Build-machine program: writes the bundle's moduleinfo.json from the
// factory's own answers, so a host that lists the plug-in from the file sees
// what a host that loads the module reads from it. Such a host asks the
// Unicode factory (IPluginFactory3) for each class, so every class text comes
// from getClassInfoUnicode, and a class vendor left empty is the factory's.
//
// usage: moduleinfo_gen <output file> <module name>
#include <stdio.h>
#include <string.h>

#include <string>

#include "vst3/factory_info.h"

namespace {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string to_utf8(const char16* text, size_t capacity) {
    std::string out;
    for (size_t i = 0; i < capacity && text[i] != 0; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < capacity && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xF0 | (c >> 18));
            out += (char)(0x80 | ((c >> 12) & 0x3F));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A fixed narrow field's text (it need not be terminated).
std::string narrow_text(const char* text, size_t capacity) {
    return std::string(text, strnlen(text, capacity));
}

// A JSON string literal of UTF-8 text.
std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04X", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

// The class id as 32 hex digits: its four 32-bit words, from the bytes in
// this platform's order (VST3_UID): on Windows the GUID image, elsewhere all
// big-endian.
std::string cid_text(const TUID cid) {
#ifdef _WIN32
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
#else
    static const int order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
#endif
    std::string out;
    for (int i : order) {
        char hex[3];
        snprintf(hex, sizeof hex, "%02X", cid[i]);
        out += hex;
    }
    return out;
}

// "Fx|Filter" as ["Fx", "Filter"]; empty text as [].
std::string sub_categories(const std::string& text) {
    std::string out = "[";
    for (size_t start = 0; !text.empty() && start <= text.size();) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos)
            bar = text.size();
        out += (start > 0 ? ", " : "") + json_string(text.substr(start, bar - start));
        start = bar + 1;
    }
    return out + "]";
}

const char* bool_text(bool value) {
    return value ? "true" : "false";
}

bool write_class(FILE* f, int32_t index, const std::string& factory_vendor, bool last) {
    PClassInfoW c;
    if (factory_info_get_class_unicode(index, &c) != kResultOk)
        return false;
    std::string vendor = to_utf8(c.vendor, 64);
    fprintf(f, "    {\n");
    fprintf(f, "      \"CID\": %s,\n", json_string(cid_text(c.cid)).c_str());
    fprintf(f, "      \"Category\": %s,\n", json_string(narrow_text(c.category, 32)).c_str());
    fprintf(f, "      \"Name\": %s,\n", json_string(to_utf8(c.name, 64)).c_str());
    fprintf(f, "      \"Vendor\": %s,\n",
            json_string(vendor.empty() ? factory_vendor : vendor).c_str());
    fprintf(f, "      \"Version\": %s,\n", json_string(to_utf8(c.version, 64)).c_str());
    fprintf(f, "      \"SDKVersion\": %s,\n", json_string(to_utf8(c.sdkVersion, 64)).c_str());
    fprintf(f, "      \"Sub Categories\": %s,\n",
            sub_categories(narrow_text(c.subCategories, 128)).c_str());
    fprintf(f, "      \"Class Flags\": %u,\n", (unsigned)c.classFlags);
    fprintf(f, "      \"Cardinality\": %d,\n", (int)c.cardinality);
    fprintf(f, "      \"Snapshots\": []\n");
    fprintf(f, "    }%s\n", last ? "" : ",");
    return true;
}

bool write_module_info(FILE* f, const char* module_name) {
    PFactoryInfo info;
    PClassInfoW first;
    if (factory_info_get(&info) != kResultOk ||
        factory_info_get_class_unicode(0, &first) != kResultOk)
        return false;
    std::string vendor = narrow_text(info.vendor, sizeof info.vendor);
    fprintf(f, "{\n");
    fprintf(f, "  \"Name\": %s,\n", json_string(module_name).c_str());
    fprintf(f, "  \"Version\": %s,\n", json_string(to_utf8(first.version, 64)).c_str());
    fprintf(f, "  \"Factory Info\": {\n");
    fprintf(f, "    \"Vendor\": %s,\n", json_string(vendor).c_str());
    fprintf(f, "    \"URL\": %s,\n", json_string(narrow_text(info.url, sizeof info.url)).c_str());
    fprintf(f, "    \"E-Mail\": %s,\n",
            json_string(narrow_text(info.email, sizeof info.email)).c_str());
    fprintf(f, "    \"Flags\": {\n");
    fprintf(f, "      \"Unicode\": %s,\n", bool_text(info.flags & kFactoryUnicode));
    fprintf(f, "      \"Classes Discardable\": %s,\n",
            bool_text(info.flags & kFactoryClassesDiscardable));
    fprintf(f, "      \"Component Non Discardable\": %s\n",
            bool_text(info.flags & kFactoryComponentNonDiscardable));
    fprintf(f, "    }\n");
    fprintf(f, "  },\n");
    fprintf(f, "  \"Compatibility\": [],\n");
    fprintf(f, "  \"Classes\": [\n");
    int32_t count = factory_info_count_classes();
    for (int32_t i = 0; i < count; ++i) {
        if (!write_class(f, i, vendor, i + 1 == count))
            return false;
    }
    fprintf(f, "  ]\n");
    fprintf(f, "}\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s <output file> <module name>\n", argv[0]);
        return 2;
    }
    FILE* f = fopen(argv[1], "wb");
    if (!f) {
        perror(argv[1]);
        return 1;
    }
    bool ok = write_module_info(f, argv[2]);
    ok = fclose(f) == 0 && ok;
    if (!ok) {
        fprintf(stderr, "%s: could not write the module description\n", argv[1]);
        remove(argv[1]);
        return 1;
    }
    return 0;
}
