// The component driven as a DAW drives it: set-up calls, buses, parameter
// queues at the block's start and end, output values and degenerate blocks.
#include <math.h>
#include <string.h>

#include "tests/vst3/vst3_test_util.h"

namespace {

class ComponentTest : public Vst3Fixture {};

TEST_F(ComponentTest, LifecycleCallsFollowTheHostOrder) {
    EXPECT_EQ(kResultOk, component_->vtbl->initialize(component_, &context_.iface));
    EXPECT_EQ(kResultFalse, component_->vtbl->initialize(component_, &context_.iface));
    EXPECT_EQ(kResultOk, component_->vtbl->terminate(component_));
    EXPECT_EQ(kResultOk, component_->vtbl->initialize(component_, &context_.iface));
    EXPECT_EQ(1, context_.ref_count) << "the host context is not counted";

    uint8_t cid[16] = {0};
    EXPECT_EQ(kResultOk, component_->vtbl->getControllerClassId(component_, cid));
    EXPECT_EQ(0, memcmp(cid, kTestControllerCid, 16));
    EXPECT_EQ(kResultFalse, component_->vtbl->getControllerClassId(component_, nullptr));
    EXPECT_EQ(kNotImplemented, component_->vtbl->setIoMode(component_, 0));
    EXPECT_EQ(kNotImplemented, component_->vtbl->getRoutingInfo(component_, nullptr, nullptr));
    EXPECT_EQ(kNotImplemented, processor_->vtbl->setProcessing(processor_, 1));
    EXPECT_EQ(0u, processor_->vtbl->getLatencySamples(processor_));
    EXPECT_EQ(0u, processor_->vtbl->getTailSamples(processor_));
    EXPECT_EQ(kResultOk, processor_->vtbl->canProcessSampleSize(processor_, kSample32));
    EXPECT_EQ(kNotImplemented, processor_->vtbl->canProcessSampleSize(processor_, kSample64));

    auto* requirements =
        (IProcessContextRequirements*)vst3host_query(component_, kIidIProcessContextRequirements);
    ASSERT_NE(nullptr, requirements);
    EXPECT_EQ(0u, requirements->vtbl->getProcessContextRequirements(requirements));
    vst3host_release(requirements);

    auto* connection = (IConnectionPoint*)vst3host_query(component_, kIidIConnectionPoint);
    ASSERT_NE(nullptr, connection);
    EXPECT_EQ(kInvalidArgument, connection->vtbl->connect(connection, nullptr));
    EXPECT_EQ(kResultOk, connection->vtbl->connect(connection, connection));
    EXPECT_EQ(kResultOk, connection->vtbl->notify(connection, nullptr));
    EXPECT_EQ(kResultOk, connection->vtbl->disconnect(connection, connection));
    vst3host_release(connection);
}

TEST_F(ComponentTest, OffersOneMonoBusEachWay) {
    ASSERT_EQ(kResultOk, component_->vtbl->initialize(component_, &context_.iface));
    EXPECT_EQ(1, component_->vtbl->getBusCount(component_, kAudio, kInput));
    EXPECT_EQ(1, component_->vtbl->getBusCount(component_, kAudio, kOutput));
    EXPECT_EQ(0, component_->vtbl->getBusCount(component_, kEvent, kInput));
    EXPECT_EQ(0, component_->vtbl->getBusCount(component_, kAudio, 2));

    for (int32_t dir : {kInput, kOutput}) {
        BusInfo first, second;
        memset(&first, 0xAB, sizeof first);
        memset(&second, 0x00, sizeof second);
        ASSERT_EQ(kResultOk, component_->vtbl->getBusInfo(component_, kAudio, dir, 0, &first));
        ASSERT_EQ(kResultOk, component_->vtbl->getBusInfo(component_, kAudio, dir, 0, &second));
        EXPECT_EQ(0, memcmp(&first, &second, sizeof first))
            << "bus info must not depend on the caller's bytes";
        EXPECT_EQ(kAudio, first.mediaType);
        EXPECT_EQ(dir, first.direction);
        EXPECT_EQ(1, first.channelCount);
        EXPECT_EQ(dir == kInput ? "Input" : "Output", vst3host_utf8(first.name));
        EXPECT_EQ(kMain, first.busType);
        EXPECT_EQ(1u, first.flags);
    }
    BusInfo info;
    EXPECT_EQ(kInvalidArgument, component_->vtbl->getBusInfo(component_, kAudio, kInput, 1, &info));
    EXPECT_EQ(kInvalidArgument, component_->vtbl->getBusInfo(component_, kEvent, kInput, 0, &info));
    EXPECT_EQ(kInvalidArgument, component_->vtbl->getBusInfo(component_, kAudio, 2, 0, &info));
    EXPECT_EQ(kInvalidArgument, component_->vtbl->activateBus(component_, kAudio, kInput, 1, 1));
    EXPECT_EQ(kInvalidArgument, component_->vtbl->activateBus(component_, kEvent, kInput, 0, 1));

    SpeakerArrangement mono = kSpeakerM, stereo = kSpeakerStereo;
    EXPECT_EQ(kResultOk, processor_->vtbl->setBusArrangements(processor_, &mono, 1, &mono, 1));
    EXPECT_EQ(kResultFalse, processor_->vtbl->setBusArrangements(processor_, &stereo, 1, &mono, 1));
    EXPECT_EQ(kResultFalse, processor_->vtbl->setBusArrangements(processor_, &mono, 1, &stereo, 1));
    EXPECT_EQ(kResultFalse, processor_->vtbl->setBusArrangements(processor_, &mono, 0, &mono, 1));
    EXPECT_EQ(kInvalidArgument,
              processor_->vtbl->setBusArrangements(processor_, &mono, -1, &mono, 1));
    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(kResultOk, processor_->vtbl->getBusArrangement(processor_, kOutput, 0, &arrangement));
    EXPECT_EQ(kSpeakerM, arrangement);
    EXPECT_EQ(kInvalidArgument,
              processor_->vtbl->getBusArrangement(processor_, kInput, 1, &arrangement));
}

// The normalized mod_position of a block's output list, or -1 when absent;
// also checks that every reported point sits on the block's last sample.
static double reported(const HostChanges& out, uint32_t index, int32_t n) {
    for (int32_t q = 0; q < out.count; ++q) {
        EXPECT_EQ(1, out.queues[q].count);
        EXPECT_EQ(n - 1, out.queues[q].offsets[0]);
    }
    const HostQueue* queue = host_changes_find(&out, param_id(index));
    return queue != nullptr ? queue->values[queue->count - 1] : -1.0;
}

// Changes that switch a synced LFO on, and the context of a transport
// playing at 120 BPM and 48 kHz with the further fields valid in state.
static ProcessContext synced_lfo_playing(HostChanges* in, uint32_t state) {
    host_changes_init(in);
    host_changes_add(in, param_id(kLfoOn), 0, 1.0);
    host_changes_add(in, param_id(kLfoSync), 0, 1.0);
    ProcessContext context = {};
    context.state = kContextPlaying | kContextTempoValid | state;
    context.sampleRate = 48000.0;
    context.tempo = 120.0;
    return context;
}

TEST_F(ComponentTest, AppliesTheFirstPointBeforeAndTheLastAfterTheBlock) {
    start();
    TestBlock block;
    test_block_init(&block, 128, 0.25f);
    HostChanges in, out;

    // A change at offset 0 reaches the engine before the block.
    host_changes_init(&in);
    host_changes_init(&out);
    host_changes_add(&in, param_id(kPosition), 0, 0.2);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    EXPECT_NEAR(0.2, reported(out, kModPosition, 128), 1e-6);

    // A single change mid-block reaches it only after the block.
    host_changes_init(&in);
    host_changes_init(&out);
    host_changes_add(&in, param_id(kPosition), 64, 0.7);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    EXPECT_EQ(-1.0, reported(out, kModPosition, 128)) << "nothing new during this block";
    host_changes_init(&in);
    host_changes_init(&out);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    EXPECT_NEAR(0.7, reported(out, kModPosition, 128), 1e-6);

    // Points at 0, 10 and 100: the first before, the last after, the middle
    // never.
    host_changes_init(&in);
    host_changes_init(&out);
    host_changes_add(&in, param_id(kPosition), 0, 0.1);
    host_changes_add(&in, param_id(kPosition), 10, 0.9);
    host_changes_add(&in, param_id(kPosition), 100, 0.4);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    EXPECT_NEAR(0.1, reported(out, kModPosition, 128), 1e-6);
    float values[kInputParameterCount];
    saved_values(values);
    EXPECT_FLOAT_EQ(40.0f, values[kPosition]);
}

TEST_F(ComponentTest, SnapsHostValuesAndIgnoresForeignIds) {
    start();
    TestBlock block;
    test_block_init(&block, 32, 0.0f);
    HostChanges in, out;
    host_changes_init(&in);
    host_changes_init(&out);
    host_changes_add(&in, param_id(kLfoSyncRate), 0, 0.5); // 12.5 snaps to 13
    host_changes_add(&in, param_id(kBypass), 0, 0.4);      // below one half: off
    host_changes_add(&in, param_id(kMidOn), 0, 0.6);
    host_changes_add(&in, param_id(kModPosition), 0, 0.9); // outputs are not inputs
    host_changes_add(&in, param_id(kEnvOut), 0, 0.1);
    host_changes_add(&in, 12345u, 0, 0.3);
    host_changes_add(&in, param_id(kMix), 0, NAN);     // not a value at all
    host_changes_add(&in, param_id(kHeelJaw), 5, 1.5); // clamped at the end
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    EXPECT_EQ(-1.0, reported(out, kModPosition, 32));

    float values[kInputParameterCount], defaults[kInputParameterCount];
    saved_values(values);
    default_values(defaults);
    EXPECT_EQ(13.0f, values[kLfoSyncRate]);
    EXPECT_EQ(0.0f, values[kBypass]);
    EXPECT_EQ(1.0f, values[kMidOn]);
    EXPECT_EQ(100.0f, values[kHeelJaw]);
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        if (i == kLfoSyncRate || i == kMidOn || i == kHeelJaw)
            continue;
        EXPECT_EQ(defaults[i], values[i]) << kParameterDescriptions[i].id;
    }
}

TEST_F(ComponentTest, ReportsEachChangedOutputOnceAtTheLastSample) {
    start();
    TestBlock block;
    test_block_init(&block, 256, 0.5f);
    HostChanges in, out;
    host_changes_init(&in);
    host_changes_init(&out);
    host_changes_add(&in, param_id(kLfoOn), 0, 1.0);
    host_changes_add(&in, param_id(kEnvOn), 0, 1.0);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    // LFO and envelope move: all four outputs change and each is reported at
    // sample 255, in its normalized form.
    double phase = reported(out, kLfoPhase, 256);
    double lfo = reported(out, kLfoOut, 256);
    double env = reported(out, kEnvOut, 256);
    double position = reported(out, kModPosition, 256);
    EXPECT_GT(phase, 0.0);
    EXPECT_LT(phase, 1.0);
    EXPECT_GE(lfo, 0.0);
    EXPECT_LE(lfo, 1.0);
    EXPECT_GT(env, 0.5) << "a steady input opens the envelope";
    EXPECT_GE(position, 0.0);
    EXPECT_LE(position, 1.0);

    // Without an output list the values are still remembered: a later block
    // with a list does not report the position again while it stays put.
    host_changes_init(&in);
    host_changes_add(&in, param_id(kLfoOn), 0, 0.0);
    host_changes_add(&in, param_id(kEnvOn), 0, 0.0);
    host_changes_add(&in, param_id(kPosition), 0, 0.3);
    ASSERT_EQ(kResultOk, run(&block, &in, nullptr));
    host_changes_init(&out);
    ASSERT_EQ(kResultOk, run(&block, nullptr, &out));
    EXPECT_EQ(-1.0, reported(out, kModPosition, 256));
    EXPECT_EQ(-1.0, reported(out, kLfoOut, 256));
    EXPECT_EQ(-1.0, reported(out, kEnvOut, 256));
}

TEST_F(ComponentTest, InactiveBusesGiveSilenceAndReportNothing) {
    ASSERT_EQ(kResultOk, component_->vtbl->initialize(component_, &context_.iface));
    ProcessSetup setup = {0, kSample32, 512, 44100.0};
    processor_->vtbl->setupProcessing(processor_, &setup);
    TestBlock block;
    test_block_init(&block, 64, 0.5f);
    HostChanges in, out;
    host_changes_init(&in);
    host_changes_init(&out);
    host_changes_add(&in, param_id(kPosition), 0, 0.9);

    // Before any activation.
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    for (float s : block.output)
        EXPECT_EQ(0.0f, s);
    EXPECT_EQ(0, out.count);

    // Only the input bus active at activation: still silent.
    component_->vtbl->activateBus(component_, kAudio, kInput, 0, 1);
    component_->vtbl->setActive(component_, 1);
    test_block_init(&block, 64, 0.5f);
    host_changes_init(&out);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    for (float s : block.output)
        EXPECT_EQ(0.0f, s);
    EXPECT_EQ(0, out.count);

    // Both active at the next activation: sound, and the position reported.
    component_->vtbl->activateBus(component_, kAudio, kOutput, 0, 1);
    component_->vtbl->setActive(component_, 0);
    component_->vtbl->setActive(component_, 1);
    test_block_init(&block, 64, 0.5f);
    host_changes_init(&out);
    ASSERT_EQ(kResultOk, run(&block, &in, &out));
    bool sound = false;
    for (float s : block.output)
        sound = sound || (s != 0.0f && s != 7.0f);
    EXPECT_TRUE(sound);
    EXPECT_NEAR(0.9, reported(out, kModPosition, 64), 1e-6);
}

TEST_F(ComponentTest, ActivationWithoutASampleRateStaysSilent) {
    ASSERT_EQ(kResultOk, component_->vtbl->initialize(component_, &context_.iface));
    component_->vtbl->activateBus(component_, kAudio, kInput, 0, 1);
    component_->vtbl->activateBus(component_, kAudio, kOutput, 0, 1);
    ASSERT_EQ(kResultOk, component_->vtbl->setActive(component_, 1));
    TestBlock block;
    test_block_init(&block, 64, 0.5f);
    ASSERT_EQ(kResultOk, run(&block));
    for (float s : block.output)
        EXPECT_EQ(0.0f, s);
}

TEST_F(ComponentTest, SurvivesBlocksWithoutUsableBuffers) {
    start();
    HostChanges in;
    TestBlock block;

    // A parameter flush: no samples, no buses at all. Changes still land.
    test_block_init(&block, 0, 0.0f);
    block.data.numInputs = block.data.numOutputs = 0;
    block.data.inputs = block.data.outputs = nullptr;
    host_changes_init(&in);
    host_changes_add(&in, param_id(kMix), 0, 0.25);
    ASSERT_EQ(kResultOk, run(&block, &in));
    float values[kInputParameterCount];
    saved_values(values);
    EXPECT_FLOAT_EQ(25.0f, values[kMix]);

    // Buses without channels, null channel arrays and null channels.
    test_block_init(&block, 64, 0.5f);
    block.input_bus.numChannels = 0;
    EXPECT_EQ(kResultOk, run(&block));
    for (float s : block.output)
        EXPECT_EQ(0.0f, s) << "an output with no input is silent";

    test_block_init(&block, 64, 0.5f);
    block.input_bus.channelBuffers32 = nullptr;
    EXPECT_EQ(kResultOk, run(&block));
    for (float s : block.output)
        EXPECT_EQ(0.0f, s);

    test_block_init(&block, 64, 0.5f);
    block.output_channels[0] = nullptr;
    EXPECT_EQ(kResultOk, run(&block));

    test_block_init(&block, 64, 0.5f);
    block.output_bus.numChannels = 0;
    EXPECT_EQ(kResultOk, run(&block));
    EXPECT_EQ(7.0f, block.output[0]) << "a bus without channels is not written";

    test_block_init(&block, 64, 0.5f);
    block.data.numInputs = 0;
    block.data.inputs = nullptr;
    EXPECT_EQ(kResultOk, run(&block));
    for (float s : block.output)
        EXPECT_EQ(0.0f, s);

    // A negative count from a broken host touches nothing.
    test_block_init(&block, 64, 0.5f);
    block.data.numSamples = -5;
    EXPECT_EQ(kResultOk, run(&block));
    EXPECT_EQ(7.0f, block.output[0]);

    // Double-precision buffers (never offered, but sent by a broken host)
    // are silenced as doubles, whole.
    std::vector<double> wide_in(64, 0.5), wide_out(64, 7.0);
    double* wide_ins[1] = {wide_in.data()};
    double* wide_outs[1] = {wide_out.data()};
    test_block_init(&block, 64, 0.5f);
    block.data.symbolicSampleSize = kSample64;
    block.input_bus.channelBuffers64 = wide_ins;
    block.output_bus.channelBuffers64 = wide_outs;
    EXPECT_EQ(kResultOk, run(&block));
    for (double s : wide_out)
        EXPECT_EQ(0.0, s);

    // Normal blocks work afterwards, in place as well.
    test_block_init(&block, 64, 0.5f);
    block.output_channels[0] = block.input.data();
    EXPECT_EQ(kResultOk, run(&block));
    for (float s : block.input)
        EXPECT_TRUE(isfinite(s));
}

// A host's parameter flush (a block of no samples) still starts a block in
// the engine: a song position it brings re-phases a synced LFO at once, even
// when sync is switched off before the next block. Skipping the engine would
// leave the LFO at its old phase.
TEST_F(ComponentTest, ABlockOfNoSamplesStillDoesTheEnginesBlockStart) {
    start();
    TestBlock block;
    test_block_init(&block, 128, 0.3f);
    HostChanges in, out;
    ProcessContext context = synced_lfo_playing(&in, kContextProjectTimeMusicValid);
    context.projectTimeMusic = 0.0;
    ASSERT_EQ(kResultOk, run(&block, &in, nullptr, &context));

    TestBlock flush;
    test_block_init(&flush, 0, 0.0f);
    context.projectTimeMusic = 10.25; // one cycle per quarter note: phase 0.25
    ASSERT_EQ(kResultOk, run(&flush, nullptr, nullptr, &context));

    host_changes_init(&in);
    host_changes_add(&in, param_id(kLfoSync), 0, 0.0);
    host_changes_init(&out);
    ASSERT_EQ(kResultOk, run(&block, &in, &out, &context));
    // Free at 2 Hz from 0.25 for 128 samples at 48 kHz.
    EXPECT_NEAR(0.25 + 128.0 * 2.0 / 48000.0, reported(out, kLfoPhase, 128), 1e-4);
}

TEST_F(ComponentTest, ProcessesWithAndWithoutATransportContext) {
    start();
    TestBlock block;
    test_block_init(&block, 128, 0.3f);
    HostChanges in, out;
    ProcessContext context =
        synced_lfo_playing(&in, kContextProjectTimeMusicValid | kContextTimeSigValid);
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    // Synced to a playing transport at quarter note 0.5, the LFO's phase
    // follows the song position.
    context.projectTimeMusic = 0.5;
    ASSERT_EQ(kResultOk, run(&block, &in, nullptr, &context));
    host_changes_init(&out);
    context.projectTimeMusic = 0.5 + 128.0 / 48000.0 * 2.0;
    ASSERT_EQ(kResultOk, run(&block, nullptr, &out, &context));
    double with_context = reported(out, kLfoPhase, 128);
    EXPECT_GE(with_context, 0.0);
    // The transport going away is not an error.
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(kResultOk, run(&block, nullptr, nullptr, nullptr));
    for (float s : block.output)
        EXPECT_TRUE(isfinite(s));
}

} // namespace
