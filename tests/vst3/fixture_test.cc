// The committed saved states, one written as the VST3 module writes and one
// as the LV2 module writes, load in the component and the controller with
// exactly their values.
#include <math.h>

#include "tests/state/fixtures/state_fixtures.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

class FixtureTest : public Vst3Fixture {
  protected:
    std::vector<uint8_t> fixture(const char* path) {
        std::string bytes = read_test_file(path);
        EXPECT_FALSE(bytes.empty()) << path;
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    // The controller's plain values after taking the state.
    void controller_values(const std::vector<uint8_t>& bytes, double values[kInputParameterCount]) {
        void* obj = nullptr;
        ASSERT_EQ(kResultOk, module_.factory->vtbl->createInstance(
                                 module_.factory, kTestControllerCid, kIidIEditController, &obj));
        IEditController* controller = (IEditController*)obj;
        controller->vtbl->initialize(controller, &context_.iface);
        MemoryStream stream;
        memory_stream_init(&stream);
        stream.bytes = bytes;
        EXPECT_EQ(kResultOk, controller->vtbl->setComponentState(controller, &stream.iface));
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            double normalized = controller->vtbl->getParamNormalized(controller, param_id(i));
            values[i] =
                controller->vtbl->normalizedParamToPlain(controller, param_id(i), normalized);
        }
        controller->vtbl->terminate(controller);
        vst3host_release(controller);
    }
};

TEST_F(FixtureTest, StateSavedByTheLv2ModuleLoads) {
    std::vector<uint8_t> bytes = fixture(OKA_STATE_FIXTURE_CUSTOM);
    start();
    ASSERT_EQ(kResultOk, restore(bytes));
    float saved[kInputParameterCount];
    saved_values(saved);
    double shown[kInputParameterCount];
    controller_values(bytes, shown);
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        float expected = (float)snapAndClamp(i, kStateFixtureCustomValues[i]);
        EXPECT_EQ(expected, saved[i]) << kParameterDescriptions[i].id;
        EXPECT_NEAR(expected, shown[i], 1e-4 * (1.0 + fabs(expected)))
            << kParameterDescriptions[i].id;
    }
}

TEST_F(FixtureTest, StateSavedByTheVst3ModuleLoadsAndSavesTheSameValues) {
    std::vector<uint8_t> bytes = fixture(OKA_STATE_FIXTURE_DEFAULTS);
    start(44100.0);
    // Move everything away from the defaults first, so the restore shows.
    float custom[kInputParameterCount];
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        custom[i] = kStateFixtureCustomValues[i];
    ASSERT_EQ(kResultOk, restore(make_state(custom, "vst3")));
    ASSERT_EQ(kResultOk, restore(bytes));
    TestBlock block;
    test_block_init(&block, 32, 0.0f);
    ASSERT_EQ(kResultOk, run(&block));
    std::vector<uint8_t> again = save();
    EXPECT_EQ(bytes, again) << "defaults at 44100 Hz save as the committed bytes";
    float saved[kInputParameterCount], defaults[kInputParameterCount];
    saved_values(saved);
    default_values(defaults);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        EXPECT_EQ(defaults[i], saved[i]) << kParameterDescriptions[i].id;
}

} // namespace
