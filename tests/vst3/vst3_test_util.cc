#include "tests/vst3/vst3_test_util.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"

// The class ids as this platform's hosts pass them, written out byte by byte
// (not through the module's own id macro, so a wrong byte order shows).
#ifdef _WIN32
const TUID kTestComponentCid = {0xAC, 0x4A, 0xEF, 0xFD, 0xDD, 0xEA, 0xFA, 0x4E,
                                0xA4, 0xC0, 0x0E, 0xC3, 0x72, 0xFE, 0x96, 0x02};
const TUID kTestControllerCid = {0xD2, 0xA1, 0xE7, 0xDF, 0x1C, 0x30, 0x6A, 0x40,
                                 0xA5, 0x3A, 0xC7, 0x82, 0xCF, 0x4D, 0x3C, 0xDD};
#else
const TUID kTestComponentCid = {0xFD, 0xEF, 0x4A, 0xAC, 0xEA, 0xDD, 0x4E, 0xFA,
                                0xA4, 0xC0, 0x0E, 0xC3, 0x72, 0xFE, 0x96, 0x02};
const TUID kTestControllerCid = {0xDF, 0xE7, 0xA1, 0xD2, 0x30, 0x1C, 0x40, 0x6A,
                                 0xA5, 0x3A, 0xC7, 0x82, 0xCF, 0x4D, 0x3C, 0xDD};
#endif

const char* test_module_path(void) {
    return OKA_VST3_MODULE_PATH;
}

ParamID param_id(uint32_t index) {
    return kParameterDescriptions[index].param_id;
}

void default_values(float values[kInputParameterCount]) {
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        values[i] = (float)parameter_record(i)->default_value;
}

void test_block_init(TestBlock* b, int32_t n, float input_value) {
    b->input.assign((size_t)(n > 0 ? n : 1), input_value);
    b->output.assign((size_t)(n > 0 ? n : 1), 7.0f);
    b->input_channels[0] = b->input.data();
    b->output_channels[0] = b->output.data();
    b->input_bus = {};
    b->input_bus.numChannels = 1;
    b->input_bus.channelBuffers32 = b->input_channels;
    b->output_bus = {};
    b->output_bus.numChannels = 1;
    b->output_bus.channelBuffers32 = b->output_channels;
    b->data = {};
    b->data.symbolicSampleSize = kSample32;
    b->data.numSamples = n;
    b->data.numInputs = 1;
    b->data.numOutputs = 1;
    b->data.inputs = &b->input_bus;
    b->data.outputs = &b->output_bus;
}

void Vst3Fixture::SetUp() {
    ASSERT_TRUE(vst3host_open(&module_, test_module_path())) << test_module_path();
    host_context_init(&context_);
    void* obj = nullptr;
    ASSERT_EQ(kResultOk, module_.factory->vtbl->createInstance(module_.factory, kTestComponentCid,
                                                               kIidIComponent, &obj));
    component_ = (IComponent*)obj;
    processor_ = (IAudioProcessor*)vst3host_query(component_, kIidIAudioProcessor);
    ASSERT_NE(nullptr, processor_);
}

void Vst3Fixture::TearDown() {
    if (processor_ != nullptr)
        vst3host_release(processor_);
    if (component_ != nullptr) {
        component_->vtbl->terminate(component_);
        EXPECT_EQ(0u, vst3host_release(component_));
    }
    vst3host_close(&module_);
}

void Vst3PairFixture::SetUp() {
    Vst3Fixture::SetUp();
    controller_ = create_controller();
    ASSERT_NE(nullptr, controller_);
    start();
}

void Vst3PairFixture::TearDown() {
    release_controller(controller_);
    Vst3Fixture::TearDown();
}

IEditController* Vst3Fixture::create_controller() {
    void* obj = nullptr;
    tresult made = module_.factory->vtbl->createInstance(module_.factory, kTestControllerCid,
                                                         kIidIEditController, &obj);
    EXPECT_EQ(kResultOk, made);
    IEditController* c = made == kResultOk ? (IEditController*)obj : nullptr;
    if (c != nullptr && c->vtbl->initialize(c, &context_.iface) != kResultOk) {
        ADD_FAILURE() << "the controller's initialize failed";
        vst3host_release(c);
        c = nullptr;
    }
    return c;
}

void Vst3Fixture::release_controller(IEditController* controller) {
    if (controller == nullptr)
        return;
    controller->vtbl->terminate(controller);
    EXPECT_EQ(0u, vst3host_release(controller));
}

void Vst3Fixture::start(double rate) {
    ASSERT_EQ(kResultOk, component_->vtbl->initialize(component_, &context_.iface));
    ProcessSetup setup = {0, kSample32, 4096, rate};
    ASSERT_EQ(kResultOk, processor_->vtbl->setupProcessing(processor_, &setup));
    ASSERT_EQ(kResultOk, component_->vtbl->activateBus(component_, kAudio, kInput, 0, 1));
    ASSERT_EQ(kResultOk, component_->vtbl->activateBus(component_, kAudio, kOutput, 0, 1));
    ASSERT_EQ(kResultOk, component_->vtbl->setActive(component_, 1));
}

tresult Vst3Fixture::run(TestBlock* block, HostChanges* in, HostChanges* out,
                         ProcessContext* context) {
    block->data.inputParameterChanges = in ? &in->iface : nullptr;
    block->data.outputParameterChanges = out ? &out->iface : nullptr;
    block->data.processContext = context;
    return processor_->vtbl->process(processor_, &block->data);
}

std::vector<uint8_t> Vst3Fixture::save(tresult* result) {
    MemoryStream stream;
    memory_stream_init(&stream);
    tresult r = component_->vtbl->getState(component_, &stream.iface);
    if (result)
        *result = r;
    return stream.bytes;
}

void Vst3Fixture::saved_values(float values[kInputParameterCount]) {
    tresult result = kResultFalse;
    std::vector<uint8_t> bytes = save(&result);
    ASSERT_EQ(kResultOk, result);
    ASSERT_EQ(0, state_read_values(bytes.data(), bytes.size(), values));
}

tresult Vst3Fixture::restore(const std::vector<uint8_t>& bytes) {
    MemoryStream stream;
    memory_stream_init(&stream);
    stream.bytes = bytes;
    return component_->vtbl->setState(component_, &stream.iface);
}

std::vector<uint8_t> Vst3Fixture::make_state(const float values[kInputParameterCount],
                                             const char* format) {
    size_t length = 0;
    void* bytes = state_save(values, 48000.0f, format, &length);
    std::vector<uint8_t> out;
    if (bytes != nullptr)
        out.assign((uint8_t*)bytes, (uint8_t*)bytes + length);
    free(bytes);
    return out;
}

void expect_module_works(const char* path) {
    Vst3HostModule m{};
    ASSERT_TRUE(vst3host_open(&m, path)) << path;
    void* obj = nullptr;
    ASSERT_EQ(kResultOk,
              m.factory->vtbl->createInstance(m.factory, kTestComponentCid, kIidIComponent, &obj));
    IComponent* component = (IComponent*)obj;
    HostContext context;
    host_context_init(&context);
    EXPECT_EQ(kResultOk, component->vtbl->initialize(component, &context.iface));
    MemoryStream stream;
    memory_stream_init(&stream);
    EXPECT_EQ(kResultOk, component->vtbl->getState(component, &stream.iface));
    EXPECT_FALSE(stream.bytes.empty());
    component->vtbl->terminate(component);
    EXPECT_EQ(0u, vst3host_release(component));
    vst3host_close(&m);
}

std::string read_test_file(const char* unix_path) {
#ifdef _WIN32
    std::string path = vst3host_windows_path(unix_path);
#else
    std::string path = unix_path;
#endif
    std::string out;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return out;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        out.append(chunk, n);
    fclose(file);
    return out;
}
