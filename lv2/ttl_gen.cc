// Writes the bundle's description files from the parameter table, so the
// ports hosts see cannot drift from the ones the module converts.
//
// usage: ttl_gen OUT_DIR BINARY_FILE_NAME [--ui | --x11-ui UI_BINARY_FILE_NAME]
// Writes OUT_DIR/manifest.ttl, OUT_DIR/zarvo-oka-oka-wah.ttl and the factory
// presets, OUT_DIR/presets.ttl; with --ui (the Windows module, which carries
// the web editor) the manifest also declares the UI in the same binary, with
// --x11-ui (Linux) an X11 UI in a binary of its own. [build time]
#include <stdio.h>
#include <string.h>

#include "engine/parameter_names.h"
#include "engine/parameter_table.h"
#include "lv2/lv2_ports.h"
#include "lv2/lv2_uris.h"
#include "lv2/ttl_presets.h"

static const char kPrefixes[] = "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
                                "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
                                "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
                                "@prefix log:   <http://lv2plug.in/ns/ext/log#> .\n"
                                "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                                "@prefix pprop: <http://lv2plug.in/ns/ext/port-props#> .\n"
                                "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                "@prefix time:  <http://lv2plug.in/ns/ext/time#> .\n"
                                "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The titles and units are ASCII; anything else is written as UTF-8.
static void put_utf16(FILE* f, const char16_t* s) {
    for (; *s; ++s) {
        unsigned c = *s;
        if (c == '"' || c == '\\') {
            fputc('\\', f);
            fputc((int)c, f);
        } else if (c < 0x80) {
            fputc((int)c, f);
        } else if (c < 0x800) {
            fputc((int)(0xC0 | (c >> 6)), f);
            fputc((int)(0x80 | (c & 0x3F)), f);
        } else {
            fputc((int)(0xE0 | (c >> 12)), f);
            fputc((int)(0x80 | ((c >> 6) & 0x3F)), f);
            fputc((int)(0x80 | (c & 0x3F)), f);
        }
    }
}

static const char* unit_of(const char16_t* units) {
    static const struct {
        const char16_t* text;
        const char* unit;
    } kUnits[] = {{u"%", "units:pc"}, {u"Hz", "units:hz"}, {u"ms", "units:ms"}};
    for (const auto& u : kUnits) {
        const char16_t* a = units;
        const char16_t* b = u.text;
        while (*a && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return u.unit;
    }
    return nullptr;
}

static void put_port_head(FILE* f, bool first, uint32_t port, const char* kinds,
                          const char* symbol) {
    fprintf(f, "%s [\n        a %s ;\n", first ? "" : " ,", kinds);
    fprintf(f, "        lv2:index %u ;\n        lv2:symbol \"%s\" ;\n", port, symbol);
}

static void put_scale_points(FILE* f, uint32_t index) {
    uint32_t count = index == kLfoSyncRate ? 24 : 4;
    fprintf(f, "        lv2:scalePoint");
    for (uint32_t k = 1; k <= count; ++k) {
        const char* name = index == kLfoSyncRate ? sync_rate_name(k) : waveform_name(k);
        fprintf(f, "%s [ rdfs:label \"%s\" ; rdf:value %u.0 ]", k == 1 ? " " : " ,\n            ",
                name, k);
    }
    fprintf(f, " ;\n");
}

static void put_range(FILE* f, float minimum, float maximum, float def) {
    fprintf(f, "        lv2:default %.9g ;\n        lv2:minimum %.9g ;\n        lv2:maximum %.9g",
            (double)def, (double)minimum, (double)maximum);
}

static void put_control_input(FILE* f, uint32_t index) {
    const ParameterDescription& d = kParameterDescriptions[index];
    Lv2ParameterRecord r = lv2_parameter_record(index);
    put_port_head(f, false, lv2_port_of_parameter(index), "lv2:InputPort, lv2:ControlPort", d.id);
    fprintf(f, "        lv2:name \"");
    put_utf16(f, d.title);
    fprintf(f, "\" ;\n");
    if (r.flags & kParamToggled)
        fprintf(f, "        lv2:portProperty lv2:toggled, lv2:integer ;\n");
    else if (r.flags & kParamInteger)
        fprintf(f, "        lv2:portProperty lv2:integer, lv2:enumeration ;\n");
    if (kInputParameterRecords[index].flags & kParamLogarithmic)
        fprintf(f, "        lv2:portProperty pprop:logarithmic ;\n");
    if (index == kLfoSyncRate || index == kLfoWaveform)
        put_scale_points(f, index);
    const char* unit = unit_of(d.units);
    if (unit)
        fprintf(f, "        units:unit %s ;\n", unit);
    put_range(f, r.minimum, r.maximum, r.default_value);
    fprintf(f, "\n    ]");
}

// Port 34 carries `bypass` inverted, as the host's enable switch. Its symbol is
// the parameter id like every control port (hosts and presets address ports
// by symbol); its name says what its value means: 1 is the effect running.
static void put_enable(FILE* f) {
    put_port_head(f, false, kLv2PortEnable, "lv2:InputPort, lv2:ControlPort",
                  kParameterDescriptions[kBypass].id);
    fprintf(f, "        lv2:name \"Enable\" ;\n        lv2:designation lv2:enabled ;\n"
               "        lv2:portProperty lv2:toggled, lv2:integer ;\n");
    put_range(f, 0.0f, 1.0f, 1.0f);
    fprintf(f, "\n    ]");
}

static void put_control_output(FILE* f, uint32_t index) {
    const ParameterDescription& d = kParameterDescriptions[index];
    const ParameterRecord* r = parameter_record(index);
    put_port_head(f, false, lv2_port_of_parameter(index), "lv2:OutputPort, lv2:ControlPort", d.id);
    fprintf(f, "        lv2:name \"");
    put_utf16(f, d.title);
    fprintf(f, "\" ;\n");
    const char* unit = unit_of(d.units);
    if (unit)
        fprintf(f, "        units:unit %s ;\n", unit);
    put_range(f, (float)r->minimum, (float)r->maximum, (float)r->default_value);
    fprintf(f, "\n    ]");
}

static void put_fixed_ports(FILE* f) {
    put_port_head(f, true, kLv2PortAudioIn, "lv2:InputPort, lv2:AudioPort", "in");
    fprintf(f, "        lv2:name \"In\"\n    ]");
    put_port_head(f, false, kLv2PortAudioOut, "lv2:OutputPort, lv2:AudioPort", "out");
    fprintf(f, "        lv2:name \"Out\"\n    ]");
    put_port_head(f, false, kLv2PortEvents, "lv2:InputPort, atom:AtomPort", "events");
    fprintf(f, "        lv2:name \"Events\" ;\n        atom:bufferType atom:Sequence ;\n"
               "        atom:supports time:Position ;\n        lv2:designation lv2:control ;\n"
               "        lv2:portProperty lv2:connectionOptional\n    ]");
}

static bool write_plugin(const char* path) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    fputs(kPrefixes, f);
    fprintf(f, "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n\n");
    fprintf(f, "<%s>\n    a lv2:Plugin, lv2:FilterPlugin ;\n", OKA_LV2_PLUGIN_URI);
    fprintf(f, "    doap:name \"Oka Oka Wah\" ;\n");
    fprintf(f, "    lv2:project [\n        a doap:Project ;\n        doap:name \"Oka Oka Wah\" ;\n"
               "        doap:maintainer [ a foaf:Person ; foaf:name \"Zarvosonic\" ]\n    ] ;\n");
    fprintf(f, "    lv2:minorVersion 0 ;\n    lv2:microVersion 1 ;\n");
    fprintf(f, "    lv2:requiredFeature urid:map ;\n    lv2:optionalFeature log:log, "
               "lv2:hardRTCapable ;\n");
    fprintf(f, "    lv2:extensionData state:interface ;\n    lv2:port");
    put_fixed_ports(f);
    for (uint32_t i = 0; i < kBypass; ++i)
        put_control_input(f, i);
    put_enable(f);
    for (uint32_t i = kModPosition; i < kParameterCount; ++i)
        put_control_output(f, i);
    fprintf(f, " .\n");
    return fclose(f) == 0;
}

// The web editor: on Windows a UI whose widget is the web window, in the
// plug-in's binary; on Linux an X11 UI in a binary of its own, which asks the
// host for its size when ui:resize is offered. The host's parent window and
// touch notifications are used when offered; the idle interface drives the
// Linux UI and is there on Windows for hosts that drive UIs with it.
struct UiDescription {
    const char* type; // "ui:WindowsUI" or "ui:X11UI"; null: no UI
    const char* binary;
    const char* features;
};

static void put_ui(FILE* f, const UiDescription& ui) {
    fprintf(f, "\n<%s>\n    ui:ui <%s> .\n", OKA_LV2_PLUGIN_URI, OKA_LV2_UI_URI);
    fprintf(f, "\n<%s>\n    a %s ;\n    lv2:binary <%s> ;\n", OKA_LV2_UI_URI, ui.type, ui.binary);
    fprintf(f, "    lv2:optionalFeature %s ;\n", ui.features);
    fprintf(f, "    lv2:extensionData ui:idleInterface .\n");
}

static bool write_manifest(const char* path, const char* binary, const UiDescription& ui) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    fprintf(f, "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
               "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
               "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n");
    if (ui.type)
        fprintf(f, "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n");
    fprintf(f, "\n<%s>\n    a lv2:Plugin ;\n    lv2:binary <%s> ;\n    rdfs:seeAlso <%s> .\n",
            OKA_LV2_PLUGIN_URI, binary, OKA_LV2_PLUGIN_TTL);
    if (ui.type)
        put_ui(f, ui);
    lv2_put_preset_manifest(f);
    return fclose(f) == 0;
}

int main(int argc, char** argv) {
    UiDescription ui = {nullptr, nullptr, nullptr};
    if (argc == 4 && strcmp(argv[3], "--ui") == 0) {
        ui = {"ui:WindowsUI", argv[2], "ui:parent, ui:touch, ui:idleInterface"};
    } else if (argc == 5 && strcmp(argv[3], "--x11-ui") == 0) {
        ui = {"ui:X11UI", argv[4], "ui:parent, ui:resize, ui:touch, ui:idleInterface"};
    } else if (argc != 3) {
        fprintf(stderr, "usage: ttl_gen OUT_DIR BINARY_FILE_NAME [--ui | --x11-ui UI_BINARY]\n");
        return 2;
    }
    char path[4096];
    snprintf(path, sizeof path, "%s/manifest.ttl", argv[1]);
    if (!write_manifest(path, argv[2], ui)) {
        fprintf(stderr, "ttl_gen: cannot write %s\n", path);
        return 1;
    }
    snprintf(path, sizeof path, "%s/%s", argv[1], OKA_LV2_PLUGIN_TTL);
    if (!write_plugin(path)) {
        fprintf(stderr, "ttl_gen: cannot write %s\n", path);
        return 1;
    }
    snprintf(path, sizeof path, "%s/%s", argv[1], OKA_LV2_PRESETS_TTL);
    if (!lv2_write_presets(path)) {
        fprintf(stderr, "ttl_gen: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
