// The factory presets as .vstpreset files, loaded the way a DAW loads them:
// the test host reads each file, checks it was made for this plug-in's
// component class and hands its component state to setState. Broken files
// are refused with a message and change nothing.
#include <string.h>

#include <string>

#include "engine/factory_presets.h"
#include "tests/support/vst3host/preset_file.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

std::vector<uint8_t> preset_file(const FactoryPreset& p) {
    std::string path =
        std::string(OKA_VST3_PRESET_DIR) + "/" + p.category + "/" + p.name + ".vstpreset";
    std::string bytes = read_test_file(path.c_str());
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

class PresetFileTest : public Vst3PairFixture {
  protected:
    bool load(const std::vector<uint8_t>& file, std::string* error) {
        return vst3host_load_preset(file, kTestComponentCid, component_, controller_, error);
    }
    // The values the component stands for after one block.
    void values_after_a_block(float values[kInputParameterCount]) {
        TestBlock block;
        test_block_init(&block, 64, 0.1f);
        ASSERT_EQ(kResultOk, run(&block));
        saved_values(values);
    }
};

// The files name the class the factory reports for the component.
TEST_F(PresetFileTest, FilesNameTheFactorysComponentClass) {
    PClassInfo info;
    ASSERT_EQ(kResultOk, module_.factory->vtbl->getClassInfo(module_.factory, 0, &info));
    ASSERT_EQ(0, memcmp(info.cid, kTestComponentCid, 16));
    std::vector<uint8_t> file = preset_file(kFactoryPresets[0]);
    ASSERT_GE(file.size(), 40u);
    EXPECT_EQ(vst3host_class_id_text(info.cid), std::string((const char*)file.data() + 8, 32));
}

// One instance loads every preset in turn, as a user stepping through the
// host's preset browser: each leaves exactly its own values in the
// component, and the controller shows them.
TEST_F(PresetFileTest, EveryFileGivesTheComponentTheTablesValues) {
    for (const FactoryPreset& p : kFactoryPresets) {
        std::vector<uint8_t> file = preset_file(p);
        ASSERT_FALSE(file.empty()) << "no file for " << p.category << "/" << p.name;
        std::string error;
        ASSERT_TRUE(load(file, &error)) << p.name << ": " << error;
        float values[kInputParameterCount];
        values_after_a_block(values);
        for (uint32_t i = 0; i < kInputParameterCount; ++i) {
            EXPECT_EQ(0, memcmp(&values[i], &p.values[i], 4))
                << p.name << ": " << kParameterDescriptions[i].id << " " << values[i];
            double shown = controller_->vtbl->normalizedParamToPlain(
                controller_, param_id(i),
                controller_->vtbl->getParamNormalized(controller_, param_id(i)));
            EXPECT_NEAR(shown, p.values[i], 1e-4) << p.name << ": " << kParameterDescriptions[i].id;
        }
    }
}

void put_u64(std::vector<uint8_t>* file, size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        (*file)[at + (size_t)i] = (uint8_t)(v >> (8 * i));
}

struct BadFile {
    const char* what;
    const char* message; // a part of the loader's message
    void (*spoil)(std::vector<uint8_t>* file);
};

const BadFile kBadFiles[] = {
    {"another plug-in's class id", "preset made for class",
     [](std::vector<uint8_t>* f) { (*f)[8 + 31] = (*f)[8 + 31] == '0' ? '1' : '0'; }},
    {"a chunk list cut short", "is cut off",
     [](std::vector<uint8_t>* f) { f->resize(f->size() - 7); }},
    {"a chunk list offset past the end", "no chunk list",
     [](std::vector<uint8_t>* f) { put_u64(f, 40, f->size() + 100); }},
    {"a Comp chunk longer than the file", "runs past the end",
     [](std::vector<uint8_t>* f) { put_u64(f, f->size() - 8, f->size()); }},
    {"no VST3 header", "no VST3 header", [](std::vector<uint8_t>* f) { (*f)[0] = 'X'; }},
    {"a damaged state (another plug-in id in it)", "refused the preset's state",
     [](std::vector<uint8_t>* f) {
         // The plug-in id's bytes inside the state's info map.
         const char id[] = "zarvo-oka-oka-wah";
         for (size_t at = 0; at + sizeof id - 1 <= f->size(); ++at) {
             if (memcmp(f->data() + at, id, sizeof id - 1) == 0)
                 (*f)[at] = 'Z';
         }
     }},
    {"a state cut inside its archive", "refused the preset's state",
     [](std::vector<uint8_t>* f) { put_u64(f, f->size() - 8, 1000); }},
};

// Broken files leave the component and the controller as they were: the
// defaults, while the file would have brought another preset's values.
TEST_F(PresetFileTest, BrokenFilesAreRefusedAndApplyNothing) {
    const FactoryPreset& other = kFactoryPresets[kFactoryPresetCount - 1];
    float defaults[kInputParameterCount];
    default_values(defaults);
    for (const BadFile& bad : kBadFiles) {
        std::vector<uint8_t> file = preset_file(other);
        ASSERT_FALSE(file.empty());
        bad.spoil(&file);
        std::string error;
        EXPECT_FALSE(load(file, &error)) << bad.what;
        EXPECT_NE(std::string::npos, error.find(bad.message)) << bad.what << ": " << error;
        float values[kInputParameterCount];
        values_after_a_block(values);
        EXPECT_EQ(0, memcmp(values, defaults, sizeof values)) << bad.what;
        double mix = controller_->vtbl->getParamNormalized(controller_, param_id(kMix));
        EXPECT_EQ(1.0, mix) << bad.what << ": the controller took a value";
    }
}

} // namespace
