// The component's parameter lock seen from inside: what a block does when a
// save or restore holds the lock, and that a value the host repeats is not
// applied again. These look at the component's own fields.
#include "tests/vst3/vst3_test_util.h"
#include "vst3/vst3_component.h"

namespace {

class ComponentLockTest : public Vst3Fixture {
  protected:
    // The identity pointer is the object's first field.
    Vst3Component* inside() { return (Vst3Component*)component_; }
    void block_with(uint32_t index, double normalized) {
        HostChanges in;
        host_changes_init(&in);
        host_changes_add(&in, param_id(index), 0, normalized);
        TestBlock block;
        test_block_init(&block, 16, 0.0f);
        ASSERT_EQ(kResultOk, run(&block, &in));
    }
};

TEST_F(ComponentLockTest, ABusyLockDefersHostChangesToTheNextBlock) {
    start();
    Vst3Component* c = inside();
    spin_lock_acquire(&c->params.param_lock);
    c->params.params_in_sync = false; // as every non-audio holder leaves it
    block_with(kMix, 0.2);
    EXPECT_EQ(100.0f, c->engine.param_values[kMix]) << "the engine is not touched without the lock";
    EXPECT_EQ(20.0f, c->params.host_values[kMix]);
    spin_lock_release(&c->params.param_lock);

    TestBlock block;
    test_block_init(&block, 16, 0.0f);
    ASSERT_EQ(kResultOk, run(&block));
    EXPECT_EQ(20.0f, c->engine.param_values[kMix]);
    EXPECT_EQ(20.0f, c->params.shared_values[kMix]);
    EXPECT_TRUE(c->params.params_in_sync);
}

TEST_F(ComponentLockTest, ARestoreWinsOverChangesDeferredMeanwhile) {
    start();
    Vst3Component* c = inside();
    float values[kInputParameterCount];
    default_values(values);
    values[kMix] = 40.0f;
    std::vector<uint8_t> state = make_state(values, "vst3");

    spin_lock_acquire(&c->params.param_lock);
    c->params.params_in_sync = false;
    block_with(kMix, 0.9); // deferred: the lock is busy
    spin_lock_release(&c->params.param_lock);
    // Before the next block, a restore lands.
    ASSERT_EQ(kResultOk, restore(state));
    EXPECT_TRUE(c->params.state_dirty);
    TestBlock block;
    test_block_init(&block, 16, 0.0f);
    ASSERT_EQ(kResultOk, run(&block));
    EXPECT_EQ(40.0f, c->engine.param_values[kMix]);
    EXPECT_EQ(40.0f, c->params.host_values[kMix]);
    EXPECT_FALSE(c->params.state_dirty);
}

TEST_F(ComponentLockTest, ARepeatedHostValueIsNotAppliedAgain) {
    start();
    Vst3Component* c = inside();
    block_with(kPosition, 0.25);
    ASSERT_EQ(25.0f, c->engine.param_values[kPosition]);
    // Mark the engine's copy: a second application would overwrite it.
    c->engine.param_values[kPosition] = -1.0f;
    block_with(kPosition, 0.25);
    EXPECT_EQ(-1.0f, c->engine.param_values[kPosition]);
    block_with(kPosition, 0.5);
    EXPECT_EQ(50.0f, c->engine.param_values[kPosition]);
}

} // namespace
