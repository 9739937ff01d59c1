// Our own declarations of the VST3 interfaces the module implements or calls.
// An interface pointer points at one table pointer; each table is a struct of
// function pointers in the published slot order, base-interface slots first,
// every function taking the interface pointer as its first argument. The
// static_asserts pin each table's slot count.
//
// Which thread calls a slot is said where the slot is implemented.
#pragma once
#include "vst3/vst3_types.h"

typedef uint8_t TUID[16];

// An id as the interface publishes it, four 32-bit words, laid out as the
// platform's hosts pass it: on Windows the memory image of a GUID (the first
// word and the two halves of the second little-endian, the rest in reading
// order); elsewhere all 16 bytes big-endian, the hex digits in reading order.
#define VST3_UID_BYTE(word, shift) (uint8_t)(((uint32_t)(word) >> (shift)) & 0xFF)
#define VST3_UID_BE(w)                                                                             \
    VST3_UID_BYTE(w, 24), VST3_UID_BYTE(w, 16), VST3_UID_BYTE(w, 8), VST3_UID_BYTE(w, 0)
#ifdef _WIN32
#define VST3_UID(l1, l2, l3, l4)                                                                   \
    {                                                                                              \
        VST3_UID_BYTE(l1, 0), VST3_UID_BYTE(l1, 8), VST3_UID_BYTE(l1, 16), VST3_UID_BYTE(l1, 24),  \
            VST3_UID_BYTE(l2, 16), VST3_UID_BYTE(l2, 24), VST3_UID_BYTE(l2, 0),                    \
            VST3_UID_BYTE(l2, 8), VST3_UID_BE(l3), VST3_UID_BE(l4)                                 \
    }
#else
#define VST3_UID(l1, l2, l3, l4)                                                                   \
    { VST3_UID_BE(l1), VST3_UID_BE(l2), VST3_UID_BE(l3), VST3_UID_BE(l4) }
#endif

// Interface IDs, in this platform's byte order (VST3_UID).
extern const TUID kIidFUnknown;
extern const TUID kIidIPluginBase;
extern const TUID kIidIPluginFactory;
extern const TUID kIidIPluginFactory2;
extern const TUID kIidIPluginFactory3;
extern const TUID kIidIComponent;
extern const TUID kIidIAudioProcessor;
extern const TUID kIidIProcessContextRequirements;
extern const TUID kIidIConnectionPoint;
extern const TUID kIidIEditController;
extern const TUID kIidIEditController2;
extern const TUID kIidIMidiMapping;
extern const TUID kIidIComponentHandler;
extern const TUID kIidIPlugView;
extern const TUID kIidIBStream;
extern const TUID kIidIParameterChanges;
extern const TUID kIidIParamValueQueue;
extern const TUID kIidIHostApplication;
extern const TUID kIidIPlugFrame;
// Linux only in practice: a host's run loop and the handlers it calls.
extern const TUID kIidIRunLoop;
extern const TUID kIidIEventHandler;
extern const TUID kIidITimerHandler;

// True when two 16-byte ids are equal. [any thread]
bool vst3_iid_equal(const uint8_t* a, const uint8_t* b);

struct FUnknown;

// The three FUnknown slots, first in every table. They take the interface
// pointer as an FUnknown*, whatever the table: the binary interface is the
// same, and a call through any interface's base slots then matches the
// function's declared type exactly.
#define VST3_FUNKNOWN_SLOTS(T)                                                                     \
    tresult (*queryInterface)(struct FUnknown * self, const uint8_t* iid, void** obj);             \
    uint32_t (*addRef)(struct FUnknown * self);                                                    \
    uint32_t (*release)(struct FUnknown * self)

typedef struct FUnknown {
    const struct FUnknownVtbl* vtbl;
} FUnknown;
typedef struct FUnknownVtbl {
    VST3_FUNKNOWN_SLOTS(FUnknown);
} FUnknownVtbl;

typedef struct IBStream {
    const struct IBStreamVtbl* vtbl;
} IBStream;
typedef struct IBStreamVtbl {
    VST3_FUNKNOWN_SLOTS(IBStream);
    tresult (*read)(IBStream* self, void* buffer, int32_t numBytes, int32_t* numBytesRead);
    tresult (*write)(IBStream* self, void* buffer, int32_t numBytes, int32_t* numBytesWritten);
    tresult (*seek)(IBStream* self, int64_t pos, int32_t mode, int64_t* result);
    tresult (*tell)(IBStream* self, int64_t* pos);
} IBStreamVtbl;

typedef struct IPluginFactory3 {
    const struct IPluginFactory3Vtbl* vtbl;
} IPluginFactory3;
typedef struct IPluginFactory3Vtbl {
    VST3_FUNKNOWN_SLOTS(IPluginFactory3);
    tresult (*getFactoryInfo)(IPluginFactory3* self, PFactoryInfo* info);
    int32_t (*countClasses)(IPluginFactory3* self);
    tresult (*getClassInfo)(IPluginFactory3* self, int32_t index, PClassInfo* info);
    tresult (*createInstance)(IPluginFactory3* self, const uint8_t* cid, const uint8_t* iid,
                              void** obj);
    tresult (*getClassInfo2)(IPluginFactory3* self, int32_t index, PClassInfo2* info);
    tresult (*getClassInfoUnicode)(IPluginFactory3* self, int32_t index, PClassInfoW* info);
    tresult (*setHostContext)(IPluginFactory3* self, FUnknown* context);
} IPluginFactory3Vtbl;

typedef struct IComponent {
    const struct IComponentVtbl* vtbl;
} IComponent;
typedef struct IComponentVtbl {
    VST3_FUNKNOWN_SLOTS(IComponent);
    tresult (*initialize)(IComponent* self, FUnknown* context);
    tresult (*terminate)(IComponent* self);
    tresult (*getControllerClassId)(IComponent* self, uint8_t* classId);
    tresult (*setIoMode)(IComponent* self, int32_t mode);
    int32_t (*getBusCount)(IComponent* self, int32_t type, int32_t dir);
    tresult (*getBusInfo)(IComponent* self, int32_t type, int32_t dir, int32_t index, BusInfo* bus);
    tresult (*getRoutingInfo)(IComponent* self, void* inInfo, void* outInfo);
    tresult (*activateBus)(IComponent* self, int32_t type, int32_t dir, int32_t index, TBool state);
    tresult (*setActive)(IComponent* self, TBool state);
    tresult (*setState)(IComponent* self, IBStream* state);
    tresult (*getState)(IComponent* self, IBStream* state);
} IComponentVtbl;

typedef struct IAudioProcessor {
    const struct IAudioProcessorVtbl* vtbl;
} IAudioProcessor;
typedef struct IAudioProcessorVtbl {
    VST3_FUNKNOWN_SLOTS(IAudioProcessor);
    tresult (*setBusArrangements)(IAudioProcessor* self, SpeakerArrangement* inputs, int32_t numIns,
                                  SpeakerArrangement* outputs, int32_t numOuts);
    tresult (*getBusArrangement)(IAudioProcessor* self, int32_t dir, int32_t index,
                                 SpeakerArrangement* arr);
    tresult (*canProcessSampleSize)(IAudioProcessor* self, int32_t symbolicSampleSize);
    uint32_t (*getLatencySamples)(IAudioProcessor* self);
    tresult (*setupProcessing)(IAudioProcessor* self, ProcessSetup* setup);
    tresult (*setProcessing)(IAudioProcessor* self, TBool state);
    tresult (*process)(IAudioProcessor* self, ProcessData* data);
    uint32_t (*getTailSamples)(IAudioProcessor* self);
} IAudioProcessorVtbl;

typedef struct IProcessContextRequirements {
    const struct IProcessContextRequirementsVtbl* vtbl;
} IProcessContextRequirements;
typedef struct IProcessContextRequirementsVtbl {
    VST3_FUNKNOWN_SLOTS(IProcessContextRequirements);
    uint32_t (*getProcessContextRequirements)(IProcessContextRequirements* self);
} IProcessContextRequirementsVtbl;

typedef struct IConnectionPoint {
    const struct IConnectionPointVtbl* vtbl;
} IConnectionPoint;
typedef struct IConnectionPointVtbl {
    VST3_FUNKNOWN_SLOTS(IConnectionPoint);
    tresult (*connect)(IConnectionPoint* self, IConnectionPoint* other);
    tresult (*disconnect)(IConnectionPoint* self, IConnectionPoint* other);
    tresult (*notify)(IConnectionPoint* self, FUnknown* message);
} IConnectionPointVtbl;

typedef struct IComponentHandler {
    const struct IComponentHandlerVtbl* vtbl;
} IComponentHandler;
typedef struct IComponentHandlerVtbl {
    VST3_FUNKNOWN_SLOTS(IComponentHandler);
    tresult (*beginEdit)(IComponentHandler* self, ParamID id);
    tresult (*performEdit)(IComponentHandler* self, ParamID id, ParamValue valueNormalized);
    tresult (*endEdit)(IComponentHandler* self, ParamID id);
    tresult (*restartComponent)(IComponentHandler* self, int32_t flags);
} IComponentHandlerVtbl;

typedef struct IPlugView {
    const struct IPlugViewVtbl* vtbl;
} IPlugView;
typedef struct IPlugViewVtbl {
    VST3_FUNKNOWN_SLOTS(IPlugView);
    tresult (*isPlatformTypeSupported)(IPlugView* self, const char* type);
    tresult (*attached)(IPlugView* self, void* parent, const char* type);
    tresult (*removed)(IPlugView* self);
    tresult (*onWheel)(IPlugView* self, float distance);
    tresult (*onKeyDown)(IPlugView* self, char16 key, int16_t keyCode, int16_t modifiers);
    tresult (*onKeyUp)(IPlugView* self, char16 key, int16_t keyCode, int16_t modifiers);
    tresult (*getSize)(IPlugView* self, ViewRect* size);
    tresult (*onSize)(IPlugView* self, ViewRect* newSize);
    tresult (*onFocus)(IPlugView* self, TBool state);
    tresult (*setFrame)(IPlugView* self, FUnknown* frame);
    tresult (*canResize)(IPlugView* self);
    tresult (*checkSizeConstraint)(IPlugView* self, ViewRect* rect);
} IPlugViewVtbl;

typedef struct IPlugFrame {
    const struct IPlugFrameVtbl* vtbl;
} IPlugFrame;
typedef struct IPlugFrameVtbl {
    VST3_FUNKNOWN_SLOTS(IPlugFrame);
    tresult (*resizeView)(IPlugFrame* self, IPlugView* view, ViewRect* newSize);
} IPlugFrameVtbl;

typedef struct IEditController {
    const struct IEditControllerVtbl* vtbl;
} IEditController;
typedef struct IEditControllerVtbl {
    VST3_FUNKNOWN_SLOTS(IEditController);
    tresult (*initialize)(IEditController* self, FUnknown* context);
    tresult (*terminate)(IEditController* self);
    tresult (*setComponentState)(IEditController* self, IBStream* state);
    tresult (*setState)(IEditController* self, IBStream* state);
    tresult (*getState)(IEditController* self, IBStream* state);
    int32_t (*getParameterCount)(IEditController* self);
    tresult (*getParameterInfo)(IEditController* self, int32_t paramIndex, ParameterInfo* info);
    tresult (*getParamStringByValue)(IEditController* self, ParamID id, ParamValue valueNormalized,
                                     char16* string);
    tresult (*getParamValueByString)(IEditController* self, ParamID id, char16* string,
                                     ParamValue* valueNormalized);
    ParamValue (*normalizedParamToPlain)(IEditController* self, ParamID id,
                                         ParamValue valueNormalized);
    ParamValue (*plainParamToNormalized)(IEditController* self, ParamID id, ParamValue plainValue);
    ParamValue (*getParamNormalized)(IEditController* self, ParamID id);
    tresult (*setParamNormalized)(IEditController* self, ParamID id, ParamValue value);
    tresult (*setComponentHandler)(IEditController* self, IComponentHandler* handler);
    IPlugView* (*createView)(IEditController* self, const char* name);
} IEditControllerVtbl;

typedef struct IMidiMapping {
    const struct IMidiMappingVtbl* vtbl;
} IMidiMapping;
typedef struct IMidiMappingVtbl {
    VST3_FUNKNOWN_SLOTS(IMidiMapping);
    tresult (*getMidiControllerAssignment)(IMidiMapping* self, int32_t busIndex, int16_t channel,
                                           int16_t midiControllerNumber, ParamID* id);
} IMidiMappingVtbl;

typedef struct IParamValueQueue {
    const struct IParamValueQueueVtbl* vtbl;
} IParamValueQueue;
typedef struct IParamValueQueueVtbl {
    VST3_FUNKNOWN_SLOTS(IParamValueQueue);
    ParamID (*getParameterId)(IParamValueQueue* self);
    int32_t (*getPointCount)(IParamValueQueue* self);
    tresult (*getPoint)(IParamValueQueue* self, int32_t index, int32_t* sampleOffset,
                        ParamValue* value);
    tresult (*addPoint)(IParamValueQueue* self, int32_t sampleOffset, ParamValue value,
                        int32_t* index);
} IParamValueQueueVtbl;

typedef struct IParameterChanges {
    const struct IParameterChangesVtbl* vtbl;
} IParameterChanges;
typedef struct IParameterChangesVtbl {
    VST3_FUNKNOWN_SLOTS(IParameterChanges);
    int32_t (*getParameterCount)(IParameterChanges* self);
    IParamValueQueue* (*getParameterData)(IParameterChanges* self, int32_t index);
    IParamValueQueue* (*addParameterData)(IParameterChanges* self, const ParamID* id,
                                          int32_t* index);
} IParameterChangesVtbl;

#define VST3_SLOTS(T, n) static_assert(sizeof(T) == (n) * sizeof(void*), #T " slot count")
VST3_SLOTS(FUnknownVtbl, 3);
VST3_SLOTS(IBStreamVtbl, 7);
VST3_SLOTS(IPluginFactory3Vtbl, 10);
VST3_SLOTS(IComponentVtbl, 14);
VST3_SLOTS(IAudioProcessorVtbl, 11);
VST3_SLOTS(IProcessContextRequirementsVtbl, 4);
VST3_SLOTS(IConnectionPointVtbl, 6);
VST3_SLOTS(IComponentHandlerVtbl, 7);
VST3_SLOTS(IPlugViewVtbl, 15);
VST3_SLOTS(IPlugFrameVtbl, 4);
VST3_SLOTS(IEditControllerVtbl, 18);
VST3_SLOTS(IMidiMappingVtbl, 4);
VST3_SLOTS(IParamValueQueueVtbl, 7);
VST3_SLOTS(IParameterChangesVtbl, 6);
#undef VST3_SLOTS

// The Linux host's run loop and its two handler kinds (vst3_run_loop.h).
#include "vst3/vst3_run_loop.h"
