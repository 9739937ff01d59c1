// Host streams as hosts hand them over: a project stream positioned where
// the plug-in's bytes begin, with the host's own bytes before them, and
// streams whose reads come back short.
#include <string.h>

#include "tests/vst3/vst3_test_util.h"

namespace {

// An IBStream over a MemoryStream whose reads fill everything asked for but
// report `shortfall` bytes fewer, and answer `read_result`. A reader that
// trusts the bytes rather than the count sees a whole, valid state.
struct MisreportingStream {
    IBStream iface;
    MemoryStream inner;
    int32_t shortfall;
    tresult read_result;
};

MisreportingStream* as_misreporting(void* self) {
    return (MisreportingStream*)self;
}
IBStream* inner_of(void* self) {
    return &as_misreporting(self)->inner.iface;
}
tresult misreporting_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    return inner_of(self)->vtbl->queryInterface((FUnknown*)inner_of(self), iid, obj);
}
uint32_t misreporting_add_ref(FUnknown* self) {
    return inner_of(self)->vtbl->addRef((FUnknown*)inner_of(self));
}
uint32_t misreporting_release(FUnknown* self) {
    return inner_of(self)->vtbl->release((FUnknown*)inner_of(self));
}
tresult misreporting_read(IBStream* self, void* buffer, int32_t n, int32_t* done) {
    int32_t got = 0;
    tresult result = inner_of(self)->vtbl->read(inner_of(self), buffer, n, &got);
    if (result != kResultOk)
        return result;
    if (done)
        *done = got - as_misreporting(self)->shortfall;
    return as_misreporting(self)->read_result;
}
tresult misreporting_write(IBStream* self, void* buffer, int32_t n, int32_t* done) {
    return inner_of(self)->vtbl->write(inner_of(self), buffer, n, done);
}
tresult misreporting_seek(IBStream* self, int64_t pos, int32_t mode, int64_t* result) {
    return inner_of(self)->vtbl->seek(inner_of(self), pos, mode, result);
}
tresult misreporting_tell(IBStream* self, int64_t* pos) {
    return inner_of(self)->vtbl->tell(inner_of(self), pos);
}
const IBStreamVtbl kMisreportingVtbl = {
    misreporting_qi,    misreporting_add_ref, misreporting_release, misreporting_read,
    misreporting_write, misreporting_seek,    misreporting_tell};

void misreporting_init(MisreportingStream* s, const std::vector<uint8_t>& bytes) {
    s->iface.vtbl = &kMisreportingVtbl;
    memory_stream_init(&s->inner);
    s->inner.bytes = bytes;
    s->shortfall = 0;
    s->read_result = kResultOk;
}

std::vector<uint8_t> joined(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::vector<uint8_t> out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

class StreamPositionTest : public Vst3PairFixture {
  protected:
    // A saved state whose position is `position`, everything else default.
    std::vector<uint8_t> state_at(float position) {
        float values[kInputParameterCount];
        default_values(values);
        values[kPosition] = position;
        return make_state(values, "vst3");
    }
    float component_position() {
        float values[kInputParameterCount];
        saved_values(values);
        return values[kPosition];
    }
    double controller_position() {
        ParamID id = param_id(kPosition);
        return controller_->vtbl->normalizedParamToPlain(
            controller_, id, controller_->vtbl->getParamNormalized(controller_, id));
    }
    // Both objects read one stream each: `bytes` positioned at `at`.
    void restore_both(const std::vector<uint8_t>& bytes, size_t at, tresult* component,
                      tresult* controller) {
        MemoryStream stream;
        memory_stream_init(&stream);
        stream.bytes = bytes;
        stream.position = (int64_t)at;
        *component = component_->vtbl->setState(component_, &stream.iface);
        stream.position = (int64_t)at;
        *controller = controller_->vtbl->setComponentState(controller_, &stream.iface);
    }
};

TEST_F(StreamPositionTest, StateIsReadFromTheStreamsPositionToItsEnd) {
    // What a host may keep before our bytes: nothing, bytes of its own, or
    // another plug-in's complete state (which must not be taken for ours).
    const std::vector<uint8_t> none;
    const std::vector<uint8_t> host_bytes(333, 'H');
    const std::vector<uint8_t> neighbour = state_at(10.0f);
    const std::vector<uint8_t>* prefixes[] = {&none, &host_bytes, &neighbour};
    float wanted = 20.0f;
    for (const std::vector<uint8_t>* prefix : prefixes) {
        SCOPED_TRACE(prefix->size());
        tresult component = kResultFalse, controller = kResultFalse;
        restore_both(joined(*prefix, state_at(wanted)), prefix->size(), &component, &controller);
        EXPECT_EQ(kResultOk, component);
        EXPECT_EQ(kResultOk, controller);
        EXPECT_EQ(wanted, component_position());
        EXPECT_NEAR(wanted, controller_position(), 1e-4);
        wanted += 30.0f;
    }
}

TEST_F(StreamPositionTest, NothingLeftAfterThePositionIsRefused) {
    const std::vector<uint8_t> ours = state_at(70.0f);
    tresult component = kResultOk, controller = kResultOk;
    restore_both(ours, ours.size(), &component, &controller);
    EXPECT_EQ(kResultFalse, component);
    EXPECT_EQ(kResultFalse, controller);
    // Only the tail of our state: not a state.
    restore_both(ours, 512, &component, &controller);
    EXPECT_EQ(kResultFalse, component);
    EXPECT_EQ(kResultFalse, controller);
    EXPECT_EQ(50.0f, component_position());
    EXPECT_NEAR(50.0, controller_position(), 1e-4);
}

TEST_F(StreamPositionTest, SaveWritesAtThePositionAndReadsBackFromThere) {
    const std::vector<uint8_t> host_bytes(100, 'H');
    ASSERT_EQ(kResultOk, restore(state_at(35.0f)));
    const std::vector<uint8_t> alone = save();

    MemoryStream stream;
    memory_stream_init(&stream);
    stream.bytes = host_bytes;
    stream.position = (int64_t)host_bytes.size();
    ASSERT_EQ(kResultOk, component_->vtbl->getState(component_, &stream.iface));
    EXPECT_EQ(joined(host_bytes, alone), stream.bytes);

    ASSERT_EQ(kResultOk, restore(state_at(90.0f)));
    stream.position = (int64_t)host_bytes.size();
    EXPECT_EQ(kResultOk, component_->vtbl->setState(component_, &stream.iface));
    EXPECT_EQ(35.0f, component_position());
}

// A read that says it delivered fewer bytes than asked fails the restore,
// even when the bytes it did put in the buffer would make a whole state; so
// does a read that reports every byte but answers a failure.
TEST_F(StreamPositionTest, ReadCountAndResultAreBelieved) {
    struct Case {
        int32_t shortfall;
        tresult result;
    } cases[] = {{1, kResultOk}, {100, kResultOk}, {0, kResultFalse}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortfall);
        MisreportingStream stream;
        misreporting_init(&stream, state_at(80.0f));
        stream.shortfall = c.shortfall;
        stream.read_result = c.result;
        EXPECT_EQ(kResultFalse, component_->vtbl->setState(component_, &stream.iface));
        stream.inner.position = 0;
        EXPECT_EQ(kResultFalse, controller_->vtbl->setComponentState(controller_, &stream.iface));
    }
    EXPECT_EQ(50.0f, component_position());
    EXPECT_NEAR(50.0, controller_position(), 1e-4);

    // The same stream reporting truthfully restores: the failures above were
    // the counts' and results' doing.
    MisreportingStream honest;
    misreporting_init(&honest, state_at(80.0f));
    EXPECT_EQ(kResultOk, component_->vtbl->setState(component_, &honest.iface));
    EXPECT_EQ(80.0f, component_position());
}

} // namespace
