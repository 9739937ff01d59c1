#include "lv2/ttl_presets.h"

#include <string.h>

#include "engine/factory_presets.h"
#include "lv2/lv2_ports.h"
#include "lv2/lv2_uris.h"

static const char kPresetPrefix[] = OKA_LV2_PLUGIN_URI "#preset-";
static const char kBankPrefix[] = OKA_LV2_PLUGIN_URI "#bank-";

// Appends `text` in lower case, every run of characters other than ASCII
// letters and digits as one '-', none at either end.
static bool put_slug(const char* text, char* out, size_t at, size_t capacity) {
    bool dash = false;
    size_t start = at;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!keep) {
            dash = at > start;
            continue;
        }
        if (at + (dash ? 2 : 1) >= capacity)
            return false;
        if (dash)
            out[at++] = '-';
        out[at++] = c;
        dash = false;
    }
    out[at] = '\0';
    return at > start;
}

static bool uri_of(const char* prefix, const char* text, char* out, size_t capacity) {
    size_t n = strlen(prefix);
    if (n >= capacity)
        return false;
    memcpy(out, prefix, n);
    return put_slug(text, out, n, capacity);
}

bool lv2_preset_uri(uint32_t preset, char* out, size_t capacity) {
    if (preset >= kFactoryPresetCount)
        return false;
    return uri_of(kPresetPrefix, kFactoryPresets[preset].name, out, capacity);
}

void lv2_put_preset_manifest(FILE* f) {
    char uri[256];
    for (uint32_t i = 0; i < kFactoryPresetCount; ++i) {
        lv2_preset_uri(i, uri, sizeof uri);
        fprintf(f,
                "\n<%s>\n    a pset:Preset ;\n    lv2:appliesTo <%s> ;\n"
                "    rdfs:seeAlso <%s> .\n",
                uri, OKA_LV2_PLUGIN_URI, OKA_LV2_PRESETS_TTL);
    }
}

// Names and texts of the table are plain ASCII without quotes or
// backslashes (a test holds them to that), so they go out as they are.
static void put_banks(FILE* f) {
    char uri[256];
    for (uint32_t i = 0; i < kFactoryPresetCount; ++i) {
        const char* category = kFactoryPresets[i].category;
        if (i > 0 && strcmp(category, kFactoryPresets[i - 1].category) == 0)
            continue;
        uri_of(kBankPrefix, category, uri, sizeof uri);
        fprintf(f, "<%s>\n    a pset:Bank ;\n    rdfs:label \"%s\" .\n\n", uri, category);
    }
}

// The value the port holds for a plain value: the enable port is on when
// the effect is not bypassed.
static float port_value(uint32_t index, float plain) {
    if (index == kBypass)
        return plain >= 0.5f ? 0.0f : 1.0f;
    return plain;
}

static void put_preset(FILE* f, uint32_t preset) {
    const FactoryPreset& p = kFactoryPresets[preset];
    char uri[256];
    char bank[256];
    lv2_preset_uri(preset, uri, sizeof uri);
    uri_of(kBankPrefix, p.category, bank, sizeof bank);
    fprintf(f, "<%s>\n    a pset:Preset ;\n    lv2:appliesTo <%s> ;\n", uri, OKA_LV2_PLUGIN_URI);
    fprintf(f, "    rdfs:label \"%s\" ;\n    pset:bank <%s> ;\n    lv2:port", p.name, bank);
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        // Nine significant digits give back the very same float.
        fprintf(f, "%s [\n        lv2:symbol \"%s\" ;\n        pset:value %.9g\n    ]",
                i == 0 ? "" : " ,", kParameterDescriptions[i].id,
                (double)port_value(i, p.values[i]));
    }
    fprintf(f, " .\n\n");
}

bool lv2_write_presets(const char* path) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    fprintf(f, "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
               "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
               "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n");
    put_banks(f);
    for (uint32_t i = 0; i < kFactoryPresetCount; ++i)
        put_preset(f, i);
    return fclose(f) == 0;
}
