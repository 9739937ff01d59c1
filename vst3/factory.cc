#include "vst3/factory.h"

#include <string.h>

#include "vst3/vst3_component.h"
#include "vst3/vst3_controller.h"

// The two class ids, the same four words on every platform.
const TUID kComponentClassId = VST3_UID(0xFDEF4AAC, 0xEADD4EFA, 0xA4C00EC3, 0x72FE9602);
const TUID kControllerClassId = VST3_UID(0xDFE7A1D2, 0x301C406A, 0xA53AC782, 0xCF4D3CDD);

typedef struct ClassDescription {
    const uint8_t* cid;
    const char* category;
    const char* name;
    const char16* wide_name;
    uint32_t class_flags;
    const char* subcategories;
} ClassDescription;

static const ClassDescription kClasses[2] = {
    {kComponentClassId, "Audio Module Class", "Oka Oka Wah", u"Oka Oka Wah", kDistributable,
     "Fx|Filter"},
    {kControllerClassId, "Component Controller Class", "Oka Oka Wah Controller",
     u"Oka Oka Wah Controller", 0, ""},
};

static const char kVersion[] = "1.0.0.1";
static const char16 kWideVersion[] = u"1.0.0.1";
static const char kSdkVersion[] = "VST 3.8.0 | Kelpo";
static const char16 kWideSdkVersion[] = u"VST 3.8.0";

// Copies a zero-terminated text into a fixed field, truncating and always
// terminating. [any thread]
static void copy_text(char* out, size_t capacity, const char* text) {
    size_t length = strlen(text);
    if (length >= capacity)
        length = capacity - 1;
    memcpy(out, text, length);
    memset(out + length, 0, capacity - length);
}

static void copy_wide(char16* out, size_t capacity, const char16* text) {
    size_t length = 0;
    while (text[length] != 0 && length + 1 < capacity)
        ++length;
    memcpy(out, text, length * sizeof(char16));
    memset(out + length, 0, (capacity - length) * sizeof(char16));
}

// [any thread]
static const ClassDescription* class_at(int32_t index) {
    return index >= 0 && index < 2 ? &kClasses[index] : nullptr;
}

// [any thread]
static tresult factory_query_interface(FUnknown* self, const uint8_t* iid, void** obj) {
    if (obj == nullptr)
        return kInvalidArgument;
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIPluginFactory) ||
        vst3_iid_equal(iid, kIidIPluginFactory2) || vst3_iid_equal(iid, kIidIPluginFactory3)) {
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

// The factory is static: counting references would mean nothing. [any thread]
static uint32_t factory_add_ref(FUnknown*) {
    return 1;
}
static uint32_t factory_release(FUnknown*) {
    return 1;
}

// [any thread]
static tresult factory_get_factory_info(IPluginFactory3*, PFactoryInfo* info) {
    if (info == nullptr)
        return kInvalidArgument;
    copy_text(info->vendor, sizeof info->vendor, "Zarvosonic");
    copy_text(info->url, sizeof info->url, "https://zarvosonic.com");
    copy_text(info->email, sizeof info->email, "support@zarvosonic.com");
    info->flags = kFactoryUnicode;
    return kResultOk;
}

// [any thread]
static int32_t factory_count_classes(IPluginFactory3*) {
    return 2;
}

// [any thread]
static tresult factory_get_class_info(IPluginFactory3*, int32_t index, PClassInfo* info) {
    const ClassDescription* c = class_at(index);
    if (c == nullptr || info == nullptr)
        return kInvalidArgument;
    memcpy(info->cid, c->cid, 16);
    info->cardinality = kManyInstances;
    copy_text(info->category, sizeof info->category, c->category);
    copy_text(info->name, sizeof info->name, c->name);
    return kResultOk;
}

// [any thread]
static tresult factory_get_class_info2(IPluginFactory3*, int32_t index, PClassInfo2* info) {
    const ClassDescription* c = class_at(index);
    if (c == nullptr || info == nullptr)
        return kInvalidArgument;
    memcpy(info->cid, c->cid, 16);
    info->cardinality = kManyInstances;
    copy_text(info->category, sizeof info->category, c->category);
    copy_text(info->name, sizeof info->name, c->name);
    info->classFlags = c->class_flags;
    copy_text(info->subCategories, sizeof info->subCategories, c->subcategories);
    copy_text(info->vendor, sizeof info->vendor, "");
    copy_text(info->version, sizeof info->version, kVersion);
    copy_text(info->sdkVersion, sizeof info->sdkVersion, kSdkVersion);
    return kResultOk;
}

// [any thread]
static tresult factory_get_class_info_unicode(IPluginFactory3*, int32_t index, PClassInfoW* info) {
    const ClassDescription* c = class_at(index);
    if (c == nullptr || info == nullptr)
        return kInvalidArgument;
    memcpy(info->cid, c->cid, 16);
    info->cardinality = kManyInstances;
    copy_text(info->category, sizeof info->category, c->category);
    copy_wide(info->name, 64, c->wide_name);
    info->classFlags = c->class_flags;
    copy_text(info->subCategories, sizeof info->subCategories, c->subcategories);
    copy_wide(info->vendor, 64, u"");
    copy_wide(info->version, 64, kWideVersion);
    copy_wide(info->sdkVersion, 64, kWideSdkVersion);
    return kResultOk;
}

// Creates the object, then asks it for the requested interface, so that a
// host asking for any interface the object offers (IAudioProcessor, say)
// gets it. An interface the object lacks gives kNoInterface with obj left as
// it was. [any thread]
static tresult factory_create_instance(IPluginFactory3*, const uint8_t* cid, const uint8_t* iid,
                                       void** obj) {
    if (obj == nullptr)
        return kInvalidArgument;
    FUnknown* object = nullptr;
    if (vst3_iid_equal(cid, kComponentClassId)) {
        object = vst3_component_new();
    } else if (vst3_iid_equal(cid, kControllerClassId)) {
        object = vst3_controller_new();
    } else {
        *obj = nullptr;
        return kNoInterface;
    }
    if (object == nullptr)
        return kOutOfMemory;
    void* result = nullptr;
    tresult found = object->vtbl->queryInterface(object, iid, &result);
    object->vtbl->release(object);
    if (found != kResultOk)
        return kNoInterface;
    *obj = result;
    return kResultOk;
}

// The host context is not needed by anything in the module. [any thread]
static tresult factory_set_host_context(IPluginFactory3*, FUnknown*) {
    return kNotImplemented;
}

static const IPluginFactory3Vtbl kFactoryVtbl = {
    factory_query_interface,  factory_add_ref,         factory_release,
    factory_get_factory_info, factory_count_classes,   factory_get_class_info,
    factory_create_instance,  factory_get_class_info2, factory_get_class_info_unicode,
    factory_set_host_context,
};

static IPluginFactory3 g_factory = {&kFactoryVtbl};

IPluginFactory3* vst3_factory(void) {
    return &g_factory;
}

extern "C" OKA_VST3_EXPORT IPluginFactory3* GetPluginFactory(void) {
    return &g_factory;
}
