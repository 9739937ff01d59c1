#include "vst3/factory_info.h"

#include <string.h>

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
tresult factory_info_get(PFactoryInfo* info) {
    if (info == nullptr)
        return kInvalidArgument;
    copy_text(info->vendor, sizeof info->vendor, "Zarvosonic");
    copy_text(info->url, sizeof info->url, "https://zarvosonic.com");
    copy_text(info->email, sizeof info->email, "support@zarvosonic.com");
    info->flags = kFactoryUnicode;
    return kResultOk;
}

// [any thread]
int32_t factory_info_count_classes(void) {
    return 2;
}

// [any thread]
tresult factory_info_get_class(int32_t index, PClassInfo* info) {
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
tresult factory_info_get_class2(int32_t index, PClassInfo2* info) {
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
tresult factory_info_get_class_unicode(int32_t index, PClassInfoW* info) {
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
