// A small LV2 host on lilv that uses the bundle's factory presets the way a
// host does: lilv finds them beside the plug-in, reads each one and restores
// it onto a running instance of the native module.
//
// usage: lv2_preset_host check BUNDLE_DIR
//   Every preset of the table is listed for the plug-in, with its name and
//   bank, and no other; restored one after another onto one running
//   instance, each leaves exactly the table's 32 values in the plug-in (read
//   back through the plug-in's own state save after a block).
// usage: lv2_preset_host args BUNDLE_DIR
//   Prints one line per preset in table order, tab-separated: its URI's last
//   part, its label, its bank's label, and lv2apply's "-c SYMBOL VALUE" for
//   each of its port values.
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "engine/factory_presets.h"
#include "lv2/lv2_ports.h"
#include "lv2/ttl_presets.h"
#include "state/state_restore.h"

namespace {

// The host's URID map: a plain list of the URIs seen so far.
std::vector<std::string> g_uris;

LV2_URID map_uri(LV2_URID_Map_Handle, const char* uri) {
    for (size_t i = 0; i < g_uris.size(); ++i)
        if (g_uris[i] == uri)
            return (LV2_URID)(i + 1);
    g_uris.push_back(uri);
    return (LV2_URID)g_uris.size();
}

LV2_URID_Map g_map = {nullptr, map_uri};
LV2_Feature g_map_feature = {LV2_URID__map, &g_map};
const LV2_Feature* g_features[] = {&g_map_feature, nullptr};

int g_failures = 0;

void fail(const char* preset, const std::string& what) {
    fprintf(stderr, "FAIL: %s: %s\n", preset, what.c_str());
    ++g_failures;
}

// A port value from a preset as a float, whatever numeric type lilv gave it.
bool value_as_float(const void* value, uint32_t size, uint32_t type, float* out) {
    if (type == map_uri(nullptr, LV2_ATOM__Float) && size == 4) {
        memcpy(out, value, 4);
    } else if (type == map_uri(nullptr, LV2_ATOM__Double) && size == 8) {
        double d;
        memcpy(&d, value, 8);
        *out = (float)d;
    } else if (type == map_uri(nullptr, LV2_ATOM__Int) && size == 4) {
        int32_t i;
        memcpy(&i, value, 4);
        *out = (float)i;
    } else if (type == map_uri(nullptr, LV2_ATOM__Long) && size == 8) {
        int64_t l;
        memcpy(&l, value, 8);
        *out = (float)l;
    } else {
        return false;
    }
    return true;
}

struct Instance {
    const LilvPlugin* plugin;
    LilvInstance* instance;
    float controls[kLv2PortCount];
    float audio_in[64];
    float audio_out[64];
    int ports_set;
    const char* preset_name;
};

void set_port(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
    Instance* h = (Instance*)user;
    float v;
    if (!value_as_float(value, size, type, &v)) {
        fail(h->preset_name, std::string("port ") + symbol + " has a value of no number type");
        return;
    }
    for (uint32_t p = kLv2PortFirstControl; p <= kLv2PortEnable; ++p) {
        if (strcmp(kParameterDescriptions[p - kLv2PortFirstControl].id, symbol) == 0) {
            h->controls[p] = v;
            ++h->ports_set;
            return;
        }
    }
    fail(h->preset_name, std::string("value for a port that is no control input: ") + symbol);
}

LV2_State_Status store_chunk(LV2_State_Handle handle, uint32_t, const void* value, size_t size,
                             uint32_t, uint32_t) {
    std::vector<uint8_t>* out = (std::vector<uint8_t>*)handle;
    out->assign((const uint8_t*)value, (const uint8_t*)value + size);
    return LV2_STATE_SUCCESS;
}

// The 32 values the running plug-in holds, through its own state save.
bool plugin_values(Instance* h, float values[kInputParameterCount]) {
    const LV2_State_Interface* state = (const LV2_State_Interface*)lilv_instance_get_extension_data(
        h->instance, LV2_STATE__interface);
    std::vector<uint8_t> bytes;
    if (state == nullptr ||
        state->save(lilv_instance_get_handle(h->instance), store_chunk, &bytes,
                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, g_features) != LV2_STATE_SUCCESS)
        return false;
    return state_read_values(bytes.data(), bytes.size(), values) == 0;
}

bool start(Instance* h, const LilvPlugin* plugin) {
    memset(h, 0, sizeof *h);
    h->plugin = plugin;
    h->instance = lilv_plugin_instantiate(plugin, 48000.0, g_features);
    if (h->instance == nullptr)
        return false;
    lilv_instance_connect_port(h->instance, kLv2PortAudioIn, h->audio_in);
    lilv_instance_connect_port(h->instance, kLv2PortAudioOut, h->audio_out);
    for (uint32_t p = kLv2PortFirstControl; p < kLv2PortCount; ++p)
        lilv_instance_connect_port(h->instance, p, &h->controls[p]);
    lilv_instance_activate(h->instance);
    return true;
}

std::string text_of(LilvWorld* world, const LilvNode* subject, const char* predicate_uri) {
    LilvNode* predicate = lilv_new_uri(world, predicate_uri);
    LilvNode* node = lilv_world_get(world, subject, predicate, nullptr);
    std::string text = node != nullptr ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    lilv_node_free(predicate);
    return text;
}

// Restores preset i onto the running instance and checks what it holds.
void check_preset(LilvWorld* world, Instance* h, const LilvNode* node, uint32_t i) {
    const FactoryPreset& p = kFactoryPresets[i];
    h->preset_name = p.name;
    lilv_world_load_resource(world, node);
    std::string label = text_of(world, node, LILV_NS_RDFS "label");
    if (label != p.name)
        fail(p.name, "listed with the label \"" + label + "\"");
    LilvNode* bank = lilv_new_uri(world, text_of(world, node, LV2_PRESETS__bank).c_str());
    if (text_of(world, bank, LILV_NS_RDFS "label") != p.category)
        fail(p.name, std::string("not in the bank labelled ") + p.category);
    lilv_node_free(bank);
    LilvState* state = lilv_state_new_from_world(world, &g_map, node);
    if (state == nullptr) {
        fail(p.name, "lilv cannot read the preset");
        return;
    }
    h->ports_set = 0;
    lilv_state_restore(state, h->instance, set_port, h, 0, g_features);
    lilv_state_free(state);
    if (h->ports_set != (int)kInputParameterCount)
        fail(p.name, "sets " + std::to_string(h->ports_set) + " ports, not 32");
    lilv_instance_run(h->instance, 64);
    float values[kInputParameterCount];
    if (!plugin_values(h, values)) {
        fail(p.name, "the plug-in's state save failed");
        return;
    }
    for (uint32_t k = 0; k < kInputParameterCount; ++k) {
        if (memcmp(&values[k], &p.values[k], 4) != 0) {
            char line[160];
            snprintf(line, sizeof line, "%s is %.9g in the plug-in, %.9g in the table",
                     kParameterDescriptions[k].id, (double)values[k], (double)p.values[k]);
            fail(p.name, line);
        }
    }
}

const LilvNode* find_preset(const LilvNodes* presets, uint32_t i) {
    char uri[256];
    lv2_preset_uri(i, uri, sizeof uri);
    LILV_FOREACH(nodes, it, presets) {
        const LilvNode* node = lilv_nodes_get(presets, it);
        if (strcmp(lilv_node_as_uri(node), uri) == 0)
            return node;
    }
    return nullptr;
}

void print_arg(const char* symbol, void*, const void* value, uint32_t size, uint32_t type) {
    float v;
    if (value_as_float(value, size, type, &v))
        printf(" -c %s %.9g", symbol, (double)v);
}

void print_args(LilvWorld* world, const LilvNode* node) {
    lilv_world_load_resource(world, node);
    LilvState* state = lilv_state_new_from_world(world, &g_map, node);
    const char* uri = lilv_node_as_uri(node);
    const char* hash = strrchr(uri, '#');
    LilvNode* bank = lilv_new_uri(world, text_of(world, node, LV2_PRESETS__bank).c_str());
    printf("%s\t%s\t%s\t", hash != nullptr ? hash + 1 : uri,
           text_of(world, node, LILV_NS_RDFS "label").c_str(),
           text_of(world, bank, LILV_NS_RDFS "label").c_str());
    lilv_node_free(bank);
    if (state != nullptr)
        lilv_state_emit_port_values(state, print_arg, nullptr);
    lilv_state_free(state);
    printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (strcmp(argv[1], "check") != 0 && strcmp(argv[1], "args") != 0)) {
        fprintf(stderr, "usage: lv2_preset_host check|args BUNDLE_DIR\n");
        return 2;
    }
    bool check = strcmp(argv[1], "check") == 0;
    LilvWorld* world = lilv_world_new();
    std::string dir = std::string(argv[2]) + "/";
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, dir.c_str());
    lilv_world_load_bundle(world, bundle);
    LilvNode* uri = lilv_new_uri(world, "https://zarvosonic.com/oka-oka-wah");
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    LilvNode* preset_class = lilv_new_uri(world, LV2_PRESETS__Preset);
    LilvNodes* presets =
        plugin != nullptr ? lilv_plugin_get_related(plugin, preset_class) : nullptr;
    Instance h;
    if (presets == nullptr || (check && !start(&h, plugin))) {
        fprintf(stderr, "FAIL: no plug-in with presets in %s\n", argv[2]);
        return 1;
    }
    if (check && lilv_nodes_size(presets) != kFactoryPresetCount)
        fail("bundle", "lists " + std::to_string(lilv_nodes_size(presets)) + " presets");
    for (uint32_t i = 0; i < kFactoryPresetCount; ++i) {
        const LilvNode* node = find_preset(presets, i);
        if (node == nullptr)
            fail(kFactoryPresets[i].name, "not listed for the plug-in");
        else if (check)
            check_preset(world, &h, node, i);
        else
            print_args(world, node);
    }
    if (check) {
        lilv_instance_deactivate(h.instance);
        lilv_instance_free(h.instance);
    }
    lilv_nodes_free(presets);
    lilv_node_free(preset_class);
    lilv_node_free(uri);
    lilv_node_free(bundle);
    lilv_world_free(world);
    if (check && g_failures == 0)
        printf("ok: %u presets restored through lilv give the table's values\n",
               (unsigned)kFactoryPresetCount);
    return g_failures == 0 ? 0 : 1;
}
