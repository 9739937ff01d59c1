// The bundle's moduleinfo.json says what a host reads from the module, so
// hosts that list the plug-in from the file and hosts that load it see the
// same plug-in: every field against the factory as our VST3 host reads it
// (in the Windows tree the bundle's module under Wine, natively the module's
// code linked in).
#include <gtest/gtest.h>

#include "tests/vst3/json_read.h"
#include "tests/vst3/vst3_test_util.h"

namespace {

std::vector<std::string> names(const JsonValue& object) {
    std::vector<std::string> out;
    for (const auto& m : object.members)
        out.push_back(m.first);
    return out;
}

std::vector<std::string> strings(const JsonValue* array) {
    std::vector<std::string> out;
    for (const JsonValue& item : array ? array->items : std::vector<JsonValue>())
        out.push_back(item.kind == JsonValue::kString ? item.text : "<not a string>");
    return out;
}

class ModuleInfoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(json_parse(read_test_file(OKA_VST3_MODULEINFO_PATH), &doc_))
            << OKA_VST3_MODULEINFO_PATH;
        ASSERT_TRUE(vst3host_open(&module_, test_module_path()));
    }
    void TearDown() override { vst3host_close(&module_); }
    JsonValue doc_;
    Vst3HostModule module_{};
};

TEST_F(ModuleInfoTest, FactoryInfoIsTheFactorysOwn) {
    PFactoryInfo info = {};
    ASSERT_EQ(kResultOk, module_.factory->vtbl->getFactoryInfo(module_.factory, &info));
    EXPECT_EQ(
        (std::vector<std::string>{"Name", "Version", "Factory Info", "Compatibility", "Classes"}),
        names(doc_));
    EXPECT_EQ("zarvo-oka-oka-wah", doc_.text_of("Name")) << "the bundle's name";
    const JsonValue* factory = doc_.get("Factory Info");
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ((std::vector<std::string>{"Vendor", "URL", "E-Mail", "Flags"}), names(*factory));
    EXPECT_EQ(info.vendor, factory->text_of("Vendor"));
    EXPECT_EQ(info.url, factory->text_of("URL"));
    EXPECT_EQ(info.email, factory->text_of("E-Mail"));
    const JsonValue* flags = factory->get("Flags");
    ASSERT_NE(nullptr, flags);
    const std::pair<const char*, int32_t> bits[] = {
        {"Unicode", kFactoryUnicode}, {"Classes Discardable", 1}, {"Component Non Discardable", 8}};
    EXPECT_EQ(3u, flags->members.size());
    for (const auto& bit : bits) {
        const JsonValue* flag = flags->get(bit.first);
        ASSERT_NE(nullptr, flag) << bit.first;
        EXPECT_EQ(JsonValue::kBool, flag->kind) << bit.first;
        EXPECT_EQ((info.flags & bit.second) != 0, flag->boolean) << bit.first;
    }
    const JsonValue* compatibility = doc_.get("Compatibility");
    ASSERT_NE(nullptr, compatibility);
    EXPECT_EQ(JsonValue::kArray, compatibility->kind);
    EXPECT_TRUE(compatibility->items.empty());
}

TEST_F(ModuleInfoTest, EveryClassFieldIsWhatTheHostReads) {
    std::vector<HostClassInfo> read = vst3host_read_classes(module_.factory);
    ASSERT_EQ(2u, read.size());
    const JsonValue* classes = doc_.get("Classes");
    ASSERT_NE(nullptr, classes);
    ASSERT_EQ(read.size(), classes->items.size());
    EXPECT_EQ(read[0].version, doc_.text_of("Version")) << "the module's version is its classes'";
    for (size_t i = 0; i < read.size(); ++i) {
        const JsonValue& c = classes->items[i];
        const HostClassInfo& host = read[i];
        EXPECT_EQ(
            (std::vector<std::string>{"CID", "Category", "Name", "Vendor", "Version", "SDKVersion",
                                      "Sub Categories", "Class Flags", "Cardinality", "Snapshots"}),
            names(c));
        EXPECT_EQ(host.cid, c.text_of("CID")) << i;
        EXPECT_EQ(host.category, c.text_of("Category")) << i;
        EXPECT_EQ(host.name, c.text_of("Name")) << i;
        EXPECT_EQ(host.vendor, c.text_of("Vendor")) << i;
        EXPECT_EQ(host.version, c.text_of("Version")) << i;
        EXPECT_EQ(host.sdk_version, c.text_of("SDKVersion")) << i;
        EXPECT_EQ(host.sub_categories, strings(c.get("Sub Categories"))) << i;
        EXPECT_EQ(std::to_string(host.class_flags), c.text_of("Class Flags")) << i;
        EXPECT_EQ(std::to_string(host.cardinality), c.text_of("Cardinality")) << i;
        ASSERT_NE(nullptr, c.get("Snapshots"));
        EXPECT_TRUE(c.get("Snapshots")->items.empty()) << i;
    }
    // What the host read, spelled out: the vendor is the factory's, the SDK
    // version the Unicode one.
    EXPECT_EQ("Zarvosonic", read[1].vendor);
    EXPECT_EQ("VST 3.8.0", read[0].sdk_version);
    EXPECT_EQ((std::vector<std::string>{"Fx", "Filter"}), read[0].sub_categories);
}

} // namespace
