// The module as a host first sees it: factory, class information, instance
// creation, the shared object conventions and the scan file.
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/vst3/vst3_test_util.h"

namespace {

class FactoryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(vst3host_open(&module_, test_module_path())); }
    void TearDown() override { vst3host_close(&module_); }
    IPluginFactory3* f() { return module_.factory; }
    FUnknown* u() { return (FUnknown*)module_.factory; }
    Vst3HostModule module_{};
};

TEST_F(FactoryTest, ReportsTheMakerAndBothClasses) {
    PFactoryInfo info;
    memset(&info, 0x55, sizeof info);
    ASSERT_EQ(kResultOk, f()->vtbl->getFactoryInfo(f(), &info));
    EXPECT_STREQ("Zarvosonic", info.vendor);
    EXPECT_STREQ("https://zarvosonic.com", info.url);
    EXPECT_STREQ("support@zarvosonic.com", info.email);
    EXPECT_EQ(16, info.flags);
    EXPECT_EQ(2, f()->vtbl->countClasses(f()));

    PClassInfo c0, c1;
    ASSERT_EQ(kResultOk, f()->vtbl->getClassInfo(f(), 0, &c0));
    ASSERT_EQ(kResultOk, f()->vtbl->getClassInfo(f(), 1, &c1));
    EXPECT_EQ(0, memcmp(c0.cid, kTestComponentCid, 16));
    EXPECT_EQ(0, memcmp(c1.cid, kTestControllerCid, 16));
    EXPECT_EQ(0x7FFFFFFF, c0.cardinality);
    EXPECT_STREQ("Audio Module Class", c0.category);
    EXPECT_STREQ("Component Controller Class", c1.category);
    EXPECT_STREQ("Oka Oka Wah", c0.name);
    EXPECT_STREQ("Oka Oka Wah Controller", c1.name);

    PClassInfo2 a, b;
    ASSERT_EQ(kResultOk, f()->vtbl->getClassInfo2(f(), 0, &a));
    ASSERT_EQ(kResultOk, f()->vtbl->getClassInfo2(f(), 1, &b));
    EXPECT_EQ(1u, a.classFlags);
    EXPECT_EQ(0u, b.classFlags);
    EXPECT_STREQ("Fx|Filter", a.subCategories);
    EXPECT_STREQ("", b.subCategories);
    EXPECT_STREQ("", a.vendor);
    EXPECT_STREQ("1.0.0.1", a.version);
    EXPECT_STREQ("VST 3.8.0 | Kelpo", a.sdkVersion);
    EXPECT_STREQ("VST 3.8.0 | Kelpo", b.sdkVersion);
    EXPECT_STREQ("Oka Oka Wah Controller", b.name);

    PClassInfoW w;
    ASSERT_EQ(kResultOk, f()->vtbl->getClassInfoUnicode(f(), 0, &w));
    EXPECT_EQ("Oka Oka Wah", vst3host_utf8(w.name));
    EXPECT_EQ("VST 3.8.0", vst3host_utf8(w.sdkVersion));
    EXPECT_EQ("1.0.0.1", vst3host_utf8(w.version));
    EXPECT_EQ("", vst3host_utf8(w.vendor));
    EXPECT_STREQ("Fx|Filter", w.subCategories);
    EXPECT_EQ(1u, w.classFlags);
    ASSERT_EQ(kResultOk, f()->vtbl->getClassInfoUnicode(f(), 1, &w));
    EXPECT_EQ("Oka Oka Wah Controller", vst3host_utf8(w.name));
    EXPECT_EQ(0, memcmp(w.cid, kTestControllerCid, 16));
}

TEST_F(FactoryTest, RefusesClassIndicesOutsideTheTwo) {
    PClassInfo c;
    PClassInfo2 c2;
    PClassInfoW cw;
    for (int32_t index : {2, -1, 1000}) {
        EXPECT_EQ(kInvalidArgument, f()->vtbl->getClassInfo(f(), index, &c)) << index;
        EXPECT_EQ(kInvalidArgument, f()->vtbl->getClassInfo2(f(), index, &c2)) << index;
        EXPECT_EQ(kInvalidArgument, f()->vtbl->getClassInfoUnicode(f(), index, &cw)) << index;
    }
}

TEST_F(FactoryTest, IsOneStaticObjectWithoutCounting) {
    EXPECT_EQ(f(), vst3host_factory_again(&module_));
    for (const uint8_t* iid :
         {kIidFUnknown, kIidIPluginFactory, kIidIPluginFactory2, kIidIPluginFactory3}) {
        void* obj = nullptr;
        EXPECT_EQ(kResultOk, f()->vtbl->queryInterface(u(), iid, &obj));
        EXPECT_EQ((void*)f(), obj);
    }
    void* obj = (void*)1;
    EXPECT_EQ(kNoInterface, f()->vtbl->queryInterface(u(), kIidIComponent, &obj));
    EXPECT_EQ(nullptr, obj);
    EXPECT_EQ(1u, f()->vtbl->addRef(u()));
    EXPECT_EQ(1u, f()->vtbl->release(u()));
    EXPECT_EQ(1u, f()->vtbl->release(u()));
    HostContext context;
    host_context_init(&context);
    EXPECT_EQ(kNotImplemented, f()->vtbl->setHostContext(f(), &context.iface));
    EXPECT_EQ(1, context.ref_count);
}

TEST_F(FactoryTest, CreatesInstancesOnlyForTheirOwnInterfaces) {
    // Every interface the component offers is accepted at creation.
    for (const uint8_t* iid :
         {kIidFUnknown, kIidIPluginBase, kIidIComponent, kIidIAudioProcessor}) {
        void* obj = nullptr;
        ASSERT_EQ(kResultOk, f()->vtbl->createInstance(f(), kTestComponentCid, iid, &obj));
        ASSERT_NE(nullptr, obj);
        EXPECT_EQ(0u, vst3host_release(obj));
    }
    void* obj = nullptr;
    ASSERT_EQ(kResultOk,
              f()->vtbl->createInstance(f(), kTestControllerCid, kIidIEditController, &obj));
    EXPECT_EQ(0u, vst3host_release(obj));

    // The wrong interface for the class leaves obj as it was.
    void* marker = (void*)&marker;
    obj = marker;
    EXPECT_EQ(kNoInterface,
              f()->vtbl->createInstance(f(), kTestControllerCid, kIidIComponent, &obj));
    EXPECT_EQ(marker, obj);
    EXPECT_EQ(kNoInterface,
              f()->vtbl->createInstance(f(), kTestComponentCid, kIidIEditController, &obj));
    EXPECT_EQ(marker, obj);
    // An unknown class writes null.
    EXPECT_EQ(kNoInterface, f()->vtbl->createInstance(f(), kIidIComponent, kIidIComponent, &obj));
    EXPECT_EQ(nullptr, obj);
}

// The binary interface of this platform, with the numbers written out: a host
// built for it compares results and ids with these, not with our constants.
struct PlatformAbi {
    int32_t no_interface, invalid_argument, not_implemented;
    TUID component_iid, plugin_factory3_iid, edit_controller_iid;
};
#ifdef _WIN32
const PlatformAbi kAbi = {
    (int32_t)0x80004002,
    (int32_t)0x80070057,
    (int32_t)0x80004001,
    {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43, 0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78,
     0x02},
    {0xAB, 0xA2, 0x55, 0x45, 0x23, 0xC1, 0x57, 0x4E, 0x9B, 0x12, 0x29, 0x10, 0x36, 0x87, 0x89,
     0x31},
    {0xE3, 0xBB, 0xD7, 0xDC, 0x42, 0x77, 0x8D, 0x44, 0xA8, 0x74, 0xAA, 0xCC, 0x97, 0x9C, 0x75,
     0x9E},
};
// The same component class and interface in the other platform's order.
const TUID kForeignComponentCid = {0xFD, 0xEF, 0x4A, 0xAC, 0xEA, 0xDD, 0x4E, 0xFA,
                                   0xA4, 0xC0, 0x0E, 0xC3, 0x72, 0xFE, 0x96, 0x02};
const TUID kForeignComponentIid = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01,
                                   0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#else
const PlatformAbi kAbi = {
    -1,
    2,
    3,
    {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01, 0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78,
     0x02},
    {0x45, 0x55, 0xA2, 0xAB, 0xC1, 0x23, 0x4E, 0x57, 0x9B, 0x12, 0x29, 0x10, 0x36, 0x87, 0x89,
     0x31},
    {0xDC, 0xD7, 0xBB, 0xE3, 0x77, 0x42, 0x44, 0x8D, 0xA8, 0x74, 0xAA, 0xCC, 0x97, 0x9C, 0x75,
     0x9E},
};
const TUID kForeignComponentCid = {0xAC, 0x4A, 0xEF, 0xFD, 0xDD, 0xEA, 0xFA, 0x4E,
                                   0xA4, 0xC0, 0x0E, 0xC3, 0x72, 0xFE, 0x96, 0x02};
const TUID kForeignComponentIid = {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43,
                                   0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#endif

TEST_F(FactoryTest, AnswersInThisPlatformsResultCodes) {
    void* obj = (void*)1;
    EXPECT_EQ(kAbi.no_interface, f()->vtbl->queryInterface(u(), kAbi.component_iid, &obj));
    PClassInfo info;
    EXPECT_EQ(kAbi.invalid_argument, f()->vtbl->getClassInfo(f(), 2, &info));
    EXPECT_EQ(kAbi.not_implemented, f()->vtbl->setHostContext(f(), nullptr));

    ASSERT_EQ(0,
              f()->vtbl->createInstance(f(), kTestControllerCid, kAbi.edit_controller_iid, &obj));
    IEditController* controller = (IEditController*)obj;
    MemoryStream stream;
    memory_stream_init(&stream);
    EXPECT_EQ(kAbi.not_implemented, controller->vtbl->getState(controller, &stream.iface));
    auto* midi = (IMidiMapping*)vst3host_query(controller, kIidIMidiMapping);
    ASSERT_NE(nullptr, midi);
    ParamID id = 0;
    EXPECT_EQ(kAbi.invalid_argument, midi->vtbl->getMidiControllerAssignment(midi, 0, 0, 7, &id));
    vst3host_release(midi);
    EXPECT_EQ(0u, vst3host_release(controller));
}

TEST_F(FactoryTest, TakesIdsInThisPlatformsByteOrderOnly) {
    void* obj = nullptr;
    EXPECT_EQ(0, f()->vtbl->queryInterface(u(), kAbi.plugin_factory3_iid, &obj));
    EXPECT_EQ((void*)f(), obj);

    ASSERT_EQ(0, f()->vtbl->createInstance(f(), kTestComponentCid, kAbi.component_iid, &obj));
    void* component = obj;
    obj = (void*)1;
    EXPECT_EQ(kAbi.no_interface,
              ((FUnknown*)component)
                  ->vtbl->queryInterface((FUnknown*)component, kForeignComponentIid, &obj));
    EXPECT_EQ(nullptr, obj);
    EXPECT_EQ(0u, vst3host_release(component));

    obj = (void*)1;
    EXPECT_EQ(kAbi.no_interface,
              f()->vtbl->createInstance(f(), kForeignComponentCid, kAbi.component_iid, &obj));
    EXPECT_EQ(nullptr, obj);
    obj = (void*)1;
    EXPECT_EQ(kAbi.no_interface,
              f()->vtbl->createInstance(f(), kTestComponentCid, kForeignComponentIid, &obj));
}

// Two host threads adding and releasing references to one object at once:
// every count must survive, so the object lives on with the one reference
// the test keeps, and its last release frees it (no count lost or doubled).
static void expect_counts_survive_two_threads(void* object) {
    const int kRounds = 1000000;
    std::atomic<int> ready{0};
    auto churn = [object, &ready] {
        ready.fetch_add(1);
        while (ready.load() < 2) {
        }
        for (int i = 0; i < kRounds; ++i) {
            vst3host_add_ref(object);
            vst3host_add_ref(object);
            vst3host_release(object);
            vst3host_release(object);
        }
    };
    std::thread other(churn);
    churn();
    other.join();
    EXPECT_EQ(2u, vst3host_add_ref(object));
    EXPECT_EQ(1u, vst3host_release(object));
    EXPECT_EQ(0u, vst3host_release(object));
}

TEST_F(FactoryTest, ReferenceCountsHoldWhenHostThreadsRace) {
    void* obj = nullptr;
    ASSERT_EQ(kResultOk, f()->vtbl->createInstance(f(), kTestComponentCid, kIidIComponent, &obj));
    expect_counts_survive_two_threads(obj);
    ASSERT_EQ(kResultOk,
              f()->vtbl->createInstance(f(), kTestControllerCid, kIidIEditController, &obj));
    expect_counts_survive_two_threads(obj);
}

// Every interface pointer of an object answers exactly like the identity.
static void expect_one_identity(void* identity, const std::vector<const uint8_t*>& offered) {
    std::vector<void*> pointers;
    for (const uint8_t* iid : offered) {
        void* p = vst3host_query(identity, iid);
        ASSERT_NE(nullptr, p);
        pointers.push_back(p);
    }
    const uint8_t* foreign[] = {kIidIPlugView, kIidIBStream, kIidIEditController2,
                                kIidIPluginFactory};
    for (void* from : pointers) {
        for (size_t k = 0; k < offered.size(); ++k) {
            void* again = vst3host_query(from, offered[k]);
            EXPECT_EQ(pointers[k], again);
            vst3host_release(again);
        }
        for (const uint8_t* iid : foreign) {
            void* obj = (void*)1;
            EXPECT_EQ(kNoInterface,
                      ((FUnknown*)from)->vtbl->queryInterface((FUnknown*)from, iid, &obj));
            EXPECT_EQ(nullptr, obj);
        }
    }
    // The count started at 1 and every successful query added one.
    uint32_t expected = 1 + (uint32_t)offered.size();
    for (void* p : pointers)
        EXPECT_EQ(--expected, vst3host_release(p));
}

TEST_F(FactoryTest, ObjectsShareOneIdentityAndCountFromOne) {
    void* component = nullptr;
    ASSERT_EQ(kResultOk,
              f()->vtbl->createInstance(f(), kTestComponentCid, kIidIComponent, &component));
    EXPECT_EQ(component, vst3host_query(component, kIidFUnknown));
    EXPECT_EQ(component, vst3host_query(component, kIidIPluginBase));
    EXPECT_EQ(2u, vst3host_release(component));
    EXPECT_EQ(1u, vst3host_release(component));
    expect_one_identity(component, {kIidFUnknown, kIidIComponent, kIidIAudioProcessor,
                                    kIidIProcessContextRequirements, kIidIConnectionPoint});
    EXPECT_EQ(2u, vst3host_add_ref(component));
    EXPECT_EQ(1u, vst3host_release(component));
    EXPECT_EQ(0u, vst3host_release(component));

    void* controller = nullptr;
    ASSERT_EQ(kResultOk,
              f()->vtbl->createInstance(f(), kTestControllerCid, kIidIEditController, &controller));
    expect_one_identity(
        controller, {kIidFUnknown, kIidIEditController, kIidIMidiMapping, kIidIConnectionPoint});
    void* none = vst3host_query(controller, kIidIComponent);
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(0u, vst3host_release(controller));
}

} // namespace
