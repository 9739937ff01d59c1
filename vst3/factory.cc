#include "vst3/factory.h"

#include "vst3/factory_info.h"
#include "vst3/vst3_component.h"
#include "vst3/vst3_controller.h"

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

// The factory's answers about itself and its classes. [any thread]
static tresult factory_get_factory_info(IPluginFactory3*, PFactoryInfo* info) {
    return factory_info_get(info);
}
static int32_t factory_count_classes(IPluginFactory3*) {
    return factory_info_count_classes();
}
static tresult factory_get_class_info(IPluginFactory3*, int32_t index, PClassInfo* info) {
    return factory_info_get_class(index, info);
}
static tresult factory_get_class_info2(IPluginFactory3*, int32_t index, PClassInfo2* info) {
    return factory_info_get_class2(index, info);
}
static tresult factory_get_class_info_unicode(IPluginFactory3*, int32_t index, PClassInfoW* info) {
    return factory_info_get_class_unicode(index, info);
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
