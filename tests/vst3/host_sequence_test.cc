// One plug-in's life in a DAW's order, from the scan to the teardown, with
// the repeated set-up transitions a validator walks through.
#include <string.h>

#include "tests/vst3/vst3_test_util.h"

namespace {

class HostSequenceTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(vst3host_open(&module_, test_module_path())); }
    void TearDown() override { vst3host_close(&module_); }
    Vst3HostModule module_{};
};

TEST_F(HostSequenceTest, FollowsADawFromScanToTeardown) {
    IPluginFactory3* factory = module_.factory;
    HostContext context;
    host_context_init(&context);
    EXPECT_EQ(kNotImplemented, factory->vtbl->setHostContext(factory, &context.iface));

    // Pick the audio class by its category, then create it as a DAW does.
    int32_t audio_index = -1;
    for (int32_t i = 0; i < factory->vtbl->countClasses(factory); ++i) {
        PClassInfo2 info;
        ASSERT_EQ(kResultOk, factory->vtbl->getClassInfo2(factory, i, &info));
        if (strcmp(info.category, "Audio Module Class") == 0)
            audio_index = i;
    }
    ASSERT_EQ(0, audio_index);
    PClassInfo info;
    factory->vtbl->getClassInfo(factory, audio_index, &info);
    void* obj = nullptr;
    ASSERT_EQ(kResultOk, factory->vtbl->createInstance(factory, info.cid, kIidIComponent, &obj));
    IComponent* component = (IComponent*)obj;
    ASSERT_EQ(kResultOk, component->vtbl->initialize(component, &context.iface));
    EXPECT_EQ(nullptr, vst3host_query(component, kIidIEditController))
        << "component and controller are separate";

    uint8_t controller_cid[16];
    ASSERT_EQ(kResultOk, component->vtbl->getControllerClassId(component, controller_cid));
    ASSERT_EQ(kResultOk,
              factory->vtbl->createInstance(factory, controller_cid, kIidIEditController, &obj));
    IEditController* controller = (IEditController*)obj;
    ASSERT_EQ(kResultOk, controller->vtbl->initialize(controller, &context.iface));
    RecordingHandler handler;
    recording_handler_init(&handler);
    ASSERT_EQ(kResultOk, controller->vtbl->setComponentHandler(controller, &handler.iface));

    auto* component_cp = (IConnectionPoint*)vst3host_query(component, kIidIConnectionPoint);
    auto* controller_cp = (IConnectionPoint*)vst3host_query(controller, kIidIConnectionPoint);
    ASSERT_TRUE(component_cp && controller_cp);
    EXPECT_EQ(kResultOk, component_cp->vtbl->connect(component_cp, controller_cp));
    EXPECT_EQ(kResultOk, controller_cp->vtbl->connect(controller_cp, component_cp));

    // Initial sync: the component's state into the controller.
    MemoryStream stream;
    memory_stream_init(&stream);
    ASSERT_EQ(kResultOk, component->vtbl->getState(component, &stream.iface));
    memory_stream_rewind(&stream);
    ASSERT_EQ(kResultOk, controller->vtbl->setComponentState(controller, &stream.iface));

    auto* processor = (IAudioProcessor*)vst3host_query(component, kIidIAudioProcessor);
    ASSERT_NE(nullptr, processor);
    SpeakerArrangement mono = kSpeakerM;
    EXPECT_EQ(kResultOk, processor->vtbl->setBusArrangements(processor, &mono, 1, &mono, 1));
    EXPECT_EQ(kResultOk, component->vtbl->activateBus(component, kAudio, kInput, 0, 1));
    EXPECT_EQ(kResultOk, component->vtbl->activateBus(component, kAudio, kOutput, 0, 1));

    // The validator's transitions, then real processing at several rates.
    for (double rate : {44100.0, 48000.0, 96000.0, 1234.5678, 384000.0}) {
        ProcessSetup setup = {0, kSample32, 1024, rate};
        ASSERT_EQ(kResultOk, processor->vtbl->setupProcessing(processor, &setup));
        ASSERT_EQ(kResultOk, component->vtbl->setActive(component, 1));
        TestBlock block;
        test_block_init(&block, 1024, 0.25f);
        HostChanges out;
        host_changes_init(&out);
        block.data.outputParameterChanges = &out.iface;
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(kResultOk, processor->vtbl->process(processor, &block.data));
        for (float s : block.output)
            ASSERT_TRUE(s > -4.0f && s < 4.0f) << "rate " << rate;
        // What the component reports, the host forwards to the controller.
        for (int32_t q = 0; q < out.count; ++q) {
            const HostQueue& queue = out.queues[q];
            EXPECT_EQ(kResultOk, controller->vtbl->setParamNormalized(
                                     controller, queue.id, queue.values[queue.count - 1]));
        }
        ASSERT_EQ(kResultOk, component->vtbl->setActive(component, 0));
    }
    EXPECT_NEAR(0.5, controller->vtbl->getParamNormalized(controller, param_id(kModPosition)),
                1e-6);

    // Teardown in the documented order.
    EXPECT_EQ(kResultOk, component_cp->vtbl->disconnect(component_cp, controller_cp));
    EXPECT_EQ(kResultOk, controller_cp->vtbl->disconnect(controller_cp, component_cp));
    vst3host_release(component_cp);
    vst3host_release(controller_cp);
    vst3host_release(processor);
    EXPECT_EQ(kResultOk, component->vtbl->terminate(component));
    EXPECT_EQ(kResultOk, controller->vtbl->terminate(controller));
    EXPECT_EQ(0u, vst3host_release(component));
    EXPECT_EQ(0u, vst3host_release(controller));
    EXPECT_EQ(1, handler.ref_count) << "the controller gave its handler reference back";
    EXPECT_EQ(1, context.ref_count);
}

TEST_F(HostSequenceTest, SurvivesTheValidatorsStateTransitions) {
    void* obj = nullptr;
    ASSERT_EQ(kResultOk, module_.factory->vtbl->createInstance(module_.factory, kTestComponentCid,
                                                               kIidIComponent, &obj));
    IComponent* component = (IComponent*)obj;
    auto* processor = (IAudioProcessor*)vst3host_query(component, kIidIAudioProcessor);
    HostContext context;
    host_context_init(&context);
    ASSERT_EQ(kResultOk, component->vtbl->initialize(component, &context.iface));
    for (int i = 0; i < 4; ++i) {
        ProcessSetup setup = {0, kSample32, 8192, 44100.0};
        EXPECT_EQ(kResultOk, processor->vtbl->setupProcessing(processor, &setup));
        EXPECT_EQ(kResultOk, component->vtbl->setActive(component, 1));
        EXPECT_EQ(kResultOk, component->vtbl->setActive(component, 0));
        EXPECT_EQ(kResultOk, component->vtbl->activateBus(component, kAudio, kInput, 0, 0));
        EXPECT_EQ(kResultOk, component->vtbl->activateBus(component, kAudio, kOutput, 0, 0));
        EXPECT_EQ(kResultOk, component->vtbl->terminate(component));
        EXPECT_EQ(kResultOk, component->vtbl->initialize(component, &context.iface));
    }
    component->vtbl->terminate(component);
    vst3host_release(processor);
    EXPECT_EQ(0u, vst3host_release(component));
}

} // namespace
