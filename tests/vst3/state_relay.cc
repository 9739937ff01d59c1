// Relays a saved state through one module binary of this build: loads the
// module as a host does, restores the state file into it (unless the input
// is "-"), runs one block at 48 kHz and writes what the module then saves.
// The Windows tree's cross-platform test runs the native relay and this
// build's relay (under Wine) over the same files, so a state crosses between
// the Linux and the Windows modules byte for byte or the test says where not.
//
// usage: vst3_state_relay vst3 MODULE IN OUT
//        vst3_state_relay lv2 MODULE BUNDLE/ IN OUT
// Exit status 0 when every step succeeded, 1 with a message otherwise.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "lv2/lv2_uris.h"
#include "tests/support/lv2host/lv2host.h"
#include "tests/support/vst3host/vst3host.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// A file by its Unix path (through Wine's drive Z: in the Windows build).
FILE* open_file(const char* unix_path, const char* mode) {
#ifdef _WIN32
    return fopen(vst3host_windows_path(unix_path).c_str(), mode);
#else
    return fopen(unix_path, mode);
#endif
}

bool read_file(const char* path, Bytes* out) {
    FILE* file = open_file(path, "rb");
    if (file == nullptr)
        return false;
    uint8_t chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        out->insert(out->end(), chunk, chunk + n);
    fclose(file);
    return !out->empty();
}

bool write_file(const char* path, const Bytes& bytes) {
    FILE* file = open_file(path, "wb");
    if (file == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

int fail(const char* what) {
    fprintf(stderr, "state relay: %s\n", what);
    return 1;
}

// Restores `in` (when given) into the module's component, runs one block and
// saves into `out`.
int relay_vst3(const char* module_path, const Bytes* in, Bytes* out) {
    Vst3HostModule module{};
    if (!vst3host_open(&module, module_path))
        return fail("the VST3 module did not load");
    IPluginFactory3* f = module.factory;
    PClassInfo info;
    void* obj = nullptr;
    if (f->vtbl->getClassInfo(f, 0, &info) != kResultOk ||
        f->vtbl->createInstance(f, info.cid, kIidIComponent, &obj) != kResultOk)
        return fail("no component");
    IComponent* component = (IComponent*)obj;
    IAudioProcessor* processor = (IAudioProcessor*)vst3host_query(component, kIidIAudioProcessor);
    HostContext context;
    host_context_init(&context);
    ProcessSetup setup = {0, kSample32, 64, 48000.0};
    int status = 0;
    if (processor == nullptr ||
        component->vtbl->initialize(component, &context.iface) != kResultOk ||
        processor->vtbl->setupProcessing(processor, &setup) != kResultOk ||
        component->vtbl->activateBus(component, kAudio, kInput, 0, 1) != kResultOk ||
        component->vtbl->activateBus(component, kAudio, kOutput, 0, 1) != kResultOk ||
        component->vtbl->setActive(component, 1) != kResultOk)
        status = fail("the component did not start");
    MemoryStream stream;
    memory_stream_init(&stream);
    if (status == 0 && in != nullptr) {
        stream.bytes = *in;
        if (component->vtbl->setState(component, &stream.iface) != kResultOk)
            status = fail("the VST3 component refused the state");
    }
    float samples[64] = {};
    float* channels[2] = {samples, samples};
    AudioBusBuffers in_bus = {}, out_bus = {};
    in_bus.numChannels = out_bus.numChannels = 1;
    in_bus.channelBuffers32 = &channels[0];
    out_bus.channelBuffers32 = &channels[1];
    ProcessData data = {};
    data.numSamples = 64;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &in_bus;
    data.outputs = &out_bus;
    if (status == 0 && processor->vtbl->process(processor, &data) != kResultOk)
        status = fail("process failed");
    memory_stream_init(&stream);
    if (status == 0 && component->vtbl->getState(component, &stream.iface) != kResultOk)
        status = fail("the VST3 component did not save");
    *out = stream.bytes;
    if (processor != nullptr)
        vst3host_release(processor);
    component->vtbl->setActive(component, 0);
    component->vtbl->terminate(component);
    vst3host_release(component);
    vst3host_close(&module);
    return status;
}

// The same through an LV2 module's state interface.
int relay_lv2(const char* module_path, const char* bundle, const Bytes* in, Bytes* out) {
    Lv2HostModule module;
    if (!module.open(module_path) || module.descriptor(0) == nullptr)
        return fail("the LV2 module did not load");
    const LV2_Descriptor* d = module.descriptor(0);
    Lv2HostUrids urids;
    Lv2HostFeatures features(&urids, nullptr);
    LV2_Handle h = d->instantiate(d, 48000.0, bundle, features.list());
    const LV2_State_Interface* state =
        h != nullptr ? (const LV2_State_Interface*)d->extension_data(LV2_STATE__interface)
                     : nullptr;
    if (state == nullptr) {
        if (h != nullptr)
            d->cleanup(h);
        module.close();
        return fail("no LV2 instance with a state interface");
    }
    uint32_t key = urids.map(OKA_LV2_STATE_URI);
    int status = 0;
    Lv2HostState host;
    if (in != nullptr) {
        host.items[key] = Lv2HostState::Item{urids.map(LV2_ATOM__Chunk),
                                             LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, *in};
        if (state->restore(h, Lv2HostState::retrieve, &host, 0, nullptr) != LV2_STATE_SUCCESS)
            status = fail("the LV2 plug-in refused the state");
    }
    host.items.clear();
    if (status == 0 && state->save(h, Lv2HostState::store, &host, 0, nullptr) != LV2_STATE_SUCCESS)
        status = fail("the LV2 plug-in did not save");
    if (status == 0 && host.items.count(key) == 0)
        status = fail("the LV2 plug-in saved no state property");
    if (status == 0)
        *out = host.items[key].bytes;
    d->cleanup(h);
    module.close();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    bool vst3 = argc == 5 && strcmp(argv[1], "vst3") == 0;
    bool lv2 = argc == 6 && strcmp(argv[1], "lv2") == 0;
    if (!vst3 && !lv2) {
        fprintf(stderr,
                "usage: %s vst3 MODULE IN|- OUT\n"
                "       %s lv2 MODULE BUNDLE/ IN|- OUT\n",
                argv[0], argv[0]);
        return 2;
    }
    const char* in_path = argv[argc - 2];
    Bytes in, out;
    bool has_input = strcmp(in_path, "-") != 0;
    if (has_input && !read_file(in_path, &in))
        return fail("cannot read the input state");
    const Bytes* input = has_input ? &in : nullptr;
    int status = vst3 ? relay_vst3(argv[2], input, &out) : relay_lv2(argv[2], argv[3], input, &out);
    if (status != 0)
        return status;
    if (!write_file(argv[argc - 1], out))
        return fail("cannot write the saved state");
    return 0;
}
