// Shared set-up for the VST3 module tests: loading the module through our
// test host, creating the two objects the way a DAW does, running blocks and
// reading the saved values back.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/parameter_table.h"
#include "tests/support/vst3host/vst3host.h"

extern const TUID kTestComponentCid;
extern const TUID kTestControllerCid;

// The module binary under test (its bundle path in the Windows tree).
const char* test_module_path(void);

ParamID param_id(uint32_t index);

// One block's buffers and ProcessData, mono in and out.
struct TestBlock {
    std::vector<float> input;
    std::vector<float> output;
    float* input_channels[1];
    float* output_channels[1];
    AudioBusBuffers input_bus;
    AudioBusBuffers output_bus;
    ProcessData data;
};

// A block of n samples of a steady input, the output pre-filled with a
// marker value so that untouched samples show.
void test_block_init(TestBlock* block, int32_t n, float input_value);

class Vst3Fixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // initialize, setupProcessing at `rate`, both buses activated, setActive.
    void start(double rate = 48000.0);
    // One block through process; returns the result.
    tresult run(TestBlock* block, HostChanges* in = nullptr, HostChanges* out = nullptr,
                ProcessContext* context = nullptr);
    // The bytes getState writes.
    std::vector<uint8_t> save(tresult* result = nullptr);
    // The 32 values of a component's saved state.
    void saved_values(float values[kInputParameterCount]);
    tresult restore(const std::vector<uint8_t>& bytes);
    // A state made by the shared save procedure from the given values.
    std::vector<uint8_t> make_state(const float values[kInputParameterCount], const char* format);

    // An edit controller from the module's factory, initialized with the
    // host context (null, with a failure recorded, when either step fails);
    // release_controller terminates and releases it, expecting the last
    // reference to go.
    IEditController* create_controller();
    void release_controller(IEditController* controller);

    Vst3HostModule module_{};
    HostContext context_{};
    IComponent* component_ = nullptr;
    IAudioProcessor* processor_ = nullptr;
};

// A started component with an initialized controller beside it, as a host
// holds the pair.
class Vst3PairFixture : public Vst3Fixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    IEditController* controller_ = nullptr;
};

// Loads the module binary at `path` (a copy somewhere else, say), creates and
// initializes a component and saves its state: the first things any host
// does. Each step is checked.
void expect_module_works(const char* path);

// A whole file, read by its Unix path (through Wine's Z: drive in the
// Windows tree); empty when it cannot be read.
std::string read_test_file(const char* unix_path);

// The defaults of the 32 writable parameters, as f32.
void default_values(float values[kInputParameterCount]);
