// A state saved by either module loads in the other: the LV2 module's
// binary is loaded beside the VST3 one and both are driven through their
// published interfaces only.
#include <math.h>
#include <string.h>

#include <map>
#include <string>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "state/state_restore.h"
#include "tests/vst3/vst3_test_util.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The LV2 side of the test: one plug-in instance with a URID map and a
// state buffer for store and retrieve.
struct Lv2Side {
    void* library = nullptr;
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle instance = nullptr;
    const LV2_State_Interface* state = nullptr;
    std::map<std::string, LV2_URID> urids;
    LV2_URID_Map map{};
    LV2_Feature map_feature{};
    std::vector<uint8_t> stored;
    LV2_URID stored_type = 0;
};

LV2_URID map_uri(LV2_URID_Map_Handle handle, const char* uri) {
    auto* urids = (std::map<std::string, LV2_URID>*)handle;
    auto found = urids->find(uri);
    if (found != urids->end())
        return found->second;
    LV2_URID id = (LV2_URID)urids->size() + 1;
    (*urids)[uri] = id;
    return id;
}

LV2_State_Status store(LV2_State_Handle handle, uint32_t, const void* value, size_t size,
                       uint32_t type, uint32_t) {
    Lv2Side* side = (Lv2Side*)handle;
    side->stored.assign((const uint8_t*)value, (const uint8_t*)value + size);
    side->stored_type = type;
    return LV2_STATE_SUCCESS;
}

const void* retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                     uint32_t* flags) {
    Lv2Side* side = (Lv2Side*)handle;
    if (key != map_uri(&side->urids, "https://zarvosonic.com/oka-oka-wah#state_data"))
        return nullptr;
    *size = side->stored.size();
    *type = map_uri(&side->urids, LV2_ATOM__Chunk);
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return side->stored.data();
}

bool lv2_open(Lv2Side* side) {
    std::string path = OKA_LV2_MODULE_PATH;
    typedef const LV2_Descriptor* (*DescriptorFn)(uint32_t);
    DescriptorFn get = nullptr;
#ifdef _WIN32
    std::string windows = vst3host_windows_path(path.c_str());
    std::wstring wide(windows.begin(), windows.end());
    HMODULE library = LoadLibraryW(wide.c_str());
    if (library == nullptr)
        return false;
    side->library = library;
    get = (DescriptorFn)(void*)GetProcAddress(library, "lv2_descriptor");
#else
    side->library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (side->library == nullptr)
        return false;
    get = (DescriptorFn)dlsym(side->library, "lv2_descriptor");
#endif
    if (get == nullptr)
        return false;
    side->descriptor = get(0);
    if (side->descriptor == nullptr)
        return false;
    side->map = {&side->urids, map_uri};
    side->map_feature = {LV2_URID__map, &side->map};
    const LV2_Feature* features[] = {&side->map_feature, nullptr};
    std::string bundle = OKA_LV2_BUNDLE_PATH;
    side->instance =
        side->descriptor->instantiate(side->descriptor, 48000.0, bundle.c_str(), features);
    if (side->instance == nullptr)
        return false;
    side->state =
        (const LV2_State_Interface*)side->descriptor->extension_data(LV2_STATE__interface);
    return side->state != nullptr;
}

void lv2_close(Lv2Side* side) {
    if (side->instance != nullptr)
        side->descriptor->cleanup(side->instance);
#ifdef _WIN32
    if (side->library != nullptr)
        FreeLibrary((HMODULE)side->library);
#else
    if (side->library != nullptr)
        dlclose(side->library);
#endif
}

class CrossFormatTest : public Vst3Fixture {
  protected:
    void SetUp() override {
        Vst3Fixture::SetUp();
        ASSERT_TRUE(lv2_open(&lv2_)) << OKA_LV2_MODULE_PATH;
    }
    void TearDown() override {
        lv2_close(&lv2_);
        Vst3Fixture::TearDown();
    }
    Lv2Side lv2_;
};

// Values away from every default, inside every range.
void distinct_values(float values[kInputParameterCount]) {
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        const ParameterRecord* r = parameter_record(i);
        bool stepped = (r->flags & (kParamBypass | kParamToggled | kParamInteger)) != 0;
        double v = r->default_value == r->maximum ? r->minimum : r->maximum;
        if (!stepped)
            v = r->minimum + (r->maximum - r->minimum) * 0.3;
        values[i] = (float)snapAndClamp(i, v);
    }
}

TEST_F(CrossFormatTest, Lv2StateRestoresInTheVst3ComponentAndController) {
    // The LV2 module takes a state and saves it again in its own format.
    float values[kInputParameterCount];
    distinct_values(values);
    lv2_.stored = make_state(values, "lv2");
    ASSERT_EQ(LV2_STATE_SUCCESS, lv2_.state->restore(lv2_.instance, retrieve, &lv2_, 0, nullptr));
    lv2_.stored.clear();
    ASSERT_EQ(LV2_STATE_SUCCESS, lv2_.state->save(lv2_.instance, store, &lv2_, 0, nullptr));
    std::vector<uint8_t> from_lv2 = lv2_.stored;
    ASSERT_NE(std::string::npos, std::string(from_lv2.begin(), from_lv2.end()).find("lv2"));

    start();
    ASSERT_EQ(kResultOk, restore(from_lv2));
    float saved[kInputParameterCount];
    saved_values(saved);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        EXPECT_EQ(values[i], saved[i]) << kParameterDescriptions[i].id;

    void* obj = nullptr;
    ASSERT_EQ(kResultOk, module_.factory->vtbl->createInstance(module_.factory, kTestControllerCid,
                                                               kIidIEditController, &obj));
    IEditController* controller = (IEditController*)obj;
    controller->vtbl->initialize(controller, &context_.iface);
    MemoryStream stream;
    memory_stream_init(&stream);
    stream.bytes = from_lv2;
    ASSERT_EQ(kResultOk, controller->vtbl->setComponentState(controller, &stream.iface));
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        double normalized = controller->vtbl->getParamNormalized(controller, param_id(i));
        double plain =
            controller->vtbl->normalizedParamToPlain(controller, param_id(i), normalized);
        EXPECT_NEAR(values[i], plain, 1e-4 * (1.0 + fabs(values[i])))
            << kParameterDescriptions[i].id;
    }
    controller->vtbl->terminate(controller);
    vst3host_release(controller);
}

TEST_F(CrossFormatTest, Vst3StateRestoresInTheLv2Plugin) {
    start();
    float values[kInputParameterCount];
    distinct_values(values);
    ASSERT_EQ(kResultOk, restore(make_state(values, "vst3")));
    tresult result = kResultFalse;
    std::vector<uint8_t> from_vst3 = save(&result);
    ASSERT_EQ(kResultOk, result);

    lv2_.stored = from_vst3;
    ASSERT_EQ(LV2_STATE_SUCCESS, lv2_.state->restore(lv2_.instance, retrieve, &lv2_, 0, nullptr));
    lv2_.stored.clear();
    ASSERT_EQ(LV2_STATE_SUCCESS, lv2_.state->save(lv2_.instance, store, &lv2_, 0, nullptr));
    float saved[kInputParameterCount];
    ASSERT_EQ(0, state_read_values(lv2_.stored.data(), lv2_.stored.size(), saved));
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        EXPECT_EQ(values[i], saved[i]) << kParameterDescriptions[i].id;
}

} // namespace
