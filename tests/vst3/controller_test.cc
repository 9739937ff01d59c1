// The edit controller as hosts use it: parameter descriptions, conversions,
// values from automation and from the component's state, the handler.
#include <math.h>
#include <string.h>

#include "state/state_save.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

class ControllerTest : public Vst3Fixture {
  protected:
    void SetUp() override {
        Vst3Fixture::SetUp();
        c_ = create_controller();
        ASSERT_NE(nullptr, c_);
    }
    void TearDown() override {
        release_controller(c_);
        Vst3Fixture::TearDown();
    }
    double normalized(uint32_t index) { return c_->vtbl->getParamNormalized(c_, param_id(index)); }
    double plain(uint32_t index) {
        return c_->vtbl->normalizedParamToPlain(c_, param_id(index), normalized(index));
    }
    tresult set_component_state(const std::vector<uint8_t>& bytes) {
        MemoryStream stream;
        memory_stream_init(&stream);
        stream.bytes = bytes;
        return c_->vtbl->setComponentState(c_, &stream.iface);
    }
    IEditController* c_ = nullptr;
};

TEST_F(ControllerTest, DescribesThirtySixParameters) {
    EXPECT_EQ(36, c_->vtbl->getParameterCount(c_));
    ParameterInfo info;
    EXPECT_EQ(kResultFalse, c_->vtbl->getParameterInfo(c_, 36, &info));
    EXPECT_EQ(kResultFalse, c_->vtbl->getParameterInfo(c_, -1, &info));

    ASSERT_EQ(kResultOk, c_->vtbl->getParameterInfo(c_, 31, &info));
    EXPECT_EQ(150732888u, info.id);
    EXPECT_EQ("Bypass", vst3host_utf8(info.title));
    EXPECT_EQ(0x1 | 0x10000, info.flags);
    EXPECT_EQ(1, info.stepCount);

    ASSERT_EQ(kResultOk, c_->vtbl->getParameterInfo(c_, 0, &info));
    EXPECT_EQ(1333256809u, info.id);
    EXPECT_EQ("Position", vst3host_utf8(info.title));
    EXPECT_EQ("%", vst3host_utf8(info.units));
    EXPECT_EQ(0.5, info.defaultNormalizedValue);
    EXPECT_EQ(0, info.unitId);

    // What a validator checks over all of them.
    int bypass_count = 0;
    for (int32_t i = 0; i < 36; ++i) {
        memset(&info, 0xEE, sizeof info);
        ASSERT_EQ(kResultOk, c_->vtbl->getParameterInfo(c_, i, &info));
        EXPECT_EQ(param_id((uint32_t)i), info.id);
        EXPECT_LE(info.id, 0x7FFFFFFFu);
        EXPECT_NE(0, info.title[0]);
        EXPECT_EQ(0, info.title[127]);
        EXPECT_GE(info.stepCount, 0);
        EXPECT_GE(info.defaultNormalizedValue, 0.0);
        EXPECT_LE(info.defaultNormalizedValue, 1.0);
        EXPECT_FALSE((info.flags & 1) && (info.flags & 2)) << "automatable and read-only";
        EXPECT_EQ(i >= 32, (info.flags & 2) != 0);
        bypass_count += (info.flags & 0x10000) != 0;
    }
    EXPECT_EQ(1, bypass_count);
}

TEST_F(ControllerTest, StartsAtTheDefaultsAndKeepsValuesOverTerminate) {
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        EXPECT_DOUBLE_EQ(kParameterDescriptions[i].default_normalized, normalized(i))
            << kParameterDescriptions[i].id;
    }
    EXPECT_DOUBLE_EQ(50.0, plain(kModPosition));
    EXPECT_DOUBLE_EQ(0.5, normalized(kLfoOut));

    EXPECT_EQ(kResultFalse, c_->vtbl->initialize(c_, &context_.iface));
    ASSERT_EQ(kResultOk, c_->vtbl->setParamNormalized(c_, param_id(kPosition), 0.25));
    ASSERT_EQ(kResultOk, c_->vtbl->terminate(c_));
    EXPECT_DOUBLE_EQ(0.25, normalized(kPosition));
    ASSERT_EQ(kResultOk, c_->vtbl->initialize(c_, &context_.iface));
    EXPECT_DOUBLE_EQ(0.5, normalized(kPosition));
}

TEST_F(ControllerTest, StoresSnappedValuesFromTheHost) {
    ASSERT_EQ(kResultOk, c_->vtbl->setParamNormalized(c_, param_id(kLfoSyncRate), 0.5));
    EXPECT_DOUBLE_EQ(13.0, plain(kLfoSyncRate));
    EXPECT_DOUBLE_EQ(12.0 / 23.0, normalized(kLfoSyncRate));
    c_->vtbl->setParamNormalized(c_, param_id(kMidOn), 0.5);
    EXPECT_DOUBLE_EQ(1.0, normalized(kMidOn));
    c_->vtbl->setParamNormalized(c_, param_id(kMidOn), 0.49);
    EXPECT_DOUBLE_EQ(0.0, normalized(kMidOn));
    // Output values arrive the same way.
    ASSERT_EQ(kResultOk, c_->vtbl->setParamNormalized(c_, param_id(kLfoOut), 0.75));
    EXPECT_DOUBLE_EQ(0.5, plain(kLfoOut));
    EXPECT_DOUBLE_EQ(0.75, normalized(kLfoOut));
    c_->vtbl->setParamNormalized(c_, param_id(kPosition), 3.0);
    EXPECT_DOUBLE_EQ(1.0, normalized(kPosition)) << "clamped into range";

    EXPECT_EQ(kResultFalse, c_->vtbl->setParamNormalized(c_, param_id(kPosition), NAN));
    EXPECT_DOUBLE_EQ(1.0, normalized(kPosition)) << "a NaN leaves the value as it was";
    EXPECT_EQ(kResultFalse, c_->vtbl->setParamNormalized(c_, 0u, 0.5));
    EXPECT_EQ(kResultFalse, c_->vtbl->setParamNormalized(c_, 0xFFFFFFFFu, 0.5));
}

TEST_F(ControllerTest, ConvertsBetweenNormalizedPlainAndText) {
    ParamID free_rate = param_id(kLfoFreeRate);
    EXPECT_DOUBLE_EQ(0.2, c_->vtbl->normalizedParamToPlain(c_, free_rate, 0.0));
    EXPECT_NEAR(20.0, c_->vtbl->normalizedParamToPlain(c_, free_rate, 1.0), 1e-9);
    EXPECT_NEAR(0.5, c_->vtbl->plainParamToNormalized(c_, free_rate, 2.0), 1e-12);
    EXPECT_DOUBLE_EQ(50.0, c_->vtbl->normalizedParamToPlain(c_, param_id(kMix), 0.5));

    // No table lookup for ids outside the table: the value comes back.
    EXPECT_EQ(0.3, c_->vtbl->normalizedParamToPlain(c_, 99u, 0.3));
    EXPECT_EQ(7.0, c_->vtbl->plainParamToNormalized(c_, 99u, 7.0));
    EXPECT_EQ(0.0, c_->vtbl->getParamNormalized(c_, 99u));

    String128 text;
    ASSERT_EQ(kResultOk, c_->vtbl->getParamStringByValue(c_, param_id(kPosition), 0.5, text));
    EXPECT_EQ("50.00", vst3host_utf8(text));
    ASSERT_EQ(kResultOk, c_->vtbl->getParamStringByValue(c_, param_id(kLfoBias), 0.0, text));
    EXPECT_EQ("-100.00", vst3host_utf8(text));
    double value = -1.0;
    char16 typed[] = u"25";
    ASSERT_EQ(kResultOk, c_->vtbl->getParamValueByString(c_, param_id(kPosition), typed, &value));
    EXPECT_DOUBLE_EQ(0.25, value);

    // A text filling all 128 units without a terminator is read no further.
    String128 long_text;
    for (char16& unit : long_text)
        unit = u'1';
    ASSERT_EQ(kResultOk,
              c_->vtbl->getParamValueByString(c_, param_id(kPosition), long_text, &value));
    EXPECT_DOUBLE_EQ(1.0, value) << "clamped to the top of the range";
    // Zero and below on a logarithmic scale are below its range.
    char16 zero[] = u"0";
    char16 negative[] = u"-5";
    ASSERT_EQ(kResultOk, c_->vtbl->getParamValueByString(c_, free_rate, zero, &value));
    EXPECT_EQ(0.0, value);
    ASSERT_EQ(kResultOk, c_->vtbl->getParamValueByString(c_, free_rate, negative, &value));
    EXPECT_EQ(0.0, value);

    // A ParamID of 0 is not in the table: nothing written.
    text[0] = u'x';
    text[1] = 0;
    EXPECT_EQ(kResultFalse, c_->vtbl->getParamStringByValue(c_, 0u, 0.5, text));
    EXPECT_EQ(u'x', text[0]);
    value = -1.0;
    EXPECT_EQ(kResultFalse, c_->vtbl->getParamValueByString(c_, 0u, typed, &value));
    EXPECT_EQ(-1.0, value);
}

TEST_F(ControllerTest, TakesTheComponentsStateWholeOrNotAtAll) {
    float values[kInputParameterCount];
    default_values(values);
    values[kPosition] = 10.0f;
    values[kLfoSyncRate] = 250.0f;
    values[kBypass] = 1.0f;
    ASSERT_EQ(kResultOk, set_component_state(make_state(values, "vst3")));
    EXPECT_DOUBLE_EQ(10.0, plain(kPosition));
    EXPECT_DOUBLE_EQ(24.0, plain(kLfoSyncRate));
    EXPECT_DOUBLE_EQ(1.0, normalized(kBypass));

    std::vector<uint8_t> wrong = make_state(values, "vst3");
    size_t at = std::string(wrong.begin(), wrong.end()).find("zarvo-oka-oka-wah");
    ASSERT_NE(std::string::npos, at);
    wrong[at + 1] = 'A';
    values[kPosition] = 90.0f;
    EXPECT_EQ(kResultFalse, set_component_state(wrong));
    EXPECT_EQ(kResultFalse, set_component_state(std::vector<uint8_t>()));
    EXPECT_EQ(kResultFalse, c_->vtbl->setComponentState(c_, nullptr));
    EXPECT_DOUBLE_EQ(10.0, plain(kPosition));

    MemoryStream stream;
    memory_stream_init(&stream);
    EXPECT_EQ(kNotImplemented, c_->vtbl->setState(c_, &stream.iface));
    EXPECT_EQ(kNotImplemented, c_->vtbl->getState(c_, &stream.iface));
}

TEST_F(ControllerTest, FollowsTheComponentsSavedState) {
    // The host's initial sync: component.getState into setComponentState.
    start();
    TestBlock block;
    test_block_init(&block, 16, 0.0f);
    HostChanges in;
    host_changes_init(&in);
    host_changes_add(&in, param_id(kToeAge), 0, 0.125);
    ASSERT_EQ(kResultOk, run(&block, &in));
    ASSERT_EQ(kResultOk, set_component_state(save()));
    EXPECT_DOUBLE_EQ(12.5, plain(kToeAge));
}

TEST_F(ControllerTest, HoldsOneReferenceToTheHandler) {
    RecordingHandler first, second;
    recording_handler_init(&first);
    recording_handler_init(&second);
    ASSERT_EQ(kResultOk, c_->vtbl->setComponentHandler(c_, &first.iface));
    EXPECT_EQ(2, first.ref_count);
    ASSERT_EQ(kResultOk, c_->vtbl->setComponentHandler(c_, &first.iface));
    EXPECT_EQ(2, first.ref_count) << "setting the same handler again changes nothing";
    ASSERT_EQ(kResultOk, c_->vtbl->setComponentHandler(c_, &second.iface));
    EXPECT_EQ(1, first.ref_count);
    EXPECT_EQ(2, second.ref_count);
    ASSERT_EQ(kResultOk, c_->vtbl->setComponentHandler(c_, nullptr));
    EXPECT_EQ(1, second.ref_count);
    c_->vtbl->setComponentHandler(c_, &second.iface);
    EXPECT_EQ(0u, vst3host_release(c_));
    c_ = nullptr;
    EXPECT_EQ(1, second.ref_count) << "teardown releases the handler";
}

TEST_F(ControllerTest, HasNoMidiMappingAndAnEditor) {
    auto* midi = (IMidiMapping*)vst3host_query(c_, kIidIMidiMapping);
    ASSERT_NE(nullptr, midi);
    ParamID id = 77;
    for (int16_t cc : {0, 1, 7, 64, 127}) {
        EXPECT_EQ(kInvalidArgument, midi->vtbl->getMidiControllerAssignment(midi, 0, 0, cc, &id));
    }
    EXPECT_EQ(77u, id);
    vst3host_release(midi);
    EXPECT_EQ(nullptr, c_->vtbl->createView(c_, "Editor"));
    // The editor's own tests: view_test.cc (Windows), view_x11_test.cc (Linux).
    IPlugView* view = c_->vtbl->createView(c_, "editor");
    EXPECT_NE(nullptr, view);
    if (view != nullptr)
        vst3host_release(view);
    auto* connection = (IConnectionPoint*)vst3host_query(c_, kIidIConnectionPoint);
    ASSERT_NE(nullptr, connection);
    EXPECT_EQ(kInvalidArgument, connection->vtbl->connect(connection, nullptr));
    EXPECT_EQ(kResultOk, connection->vtbl->notify(connection, nullptr));
    vst3host_release(connection);
}

} // namespace
