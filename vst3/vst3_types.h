// Our own declarations of the VST3 scalar types, result codes, constants and
// structures, written from the published binary interface of 64-bit Windows
// and x86-64 Linux. Every structure has natural alignment on both, with the
// same layout; the static_asserts below pin the sizes and offsets hosts rely
// on, so a wrong field breaks the build. Only the result codes differ.
//
// Plain data only: usable on any thread.
#pragma once
#include <stddef.h>
#include <stdint.h>

typedef int32_t tresult;
typedef uint8_t TBool;
typedef char16_t char16;
typedef char16 String128[128];
typedef uint32_t ParamID;
typedef double ParamValue;
typedef uint64_t SpeakerArrangement;

// Result codes. Windows hosts expect the COM-compatible values; everywhere
// else the binary interface uses small integers, with kNoInterface -1.
#ifdef _WIN32
enum : int32_t {
    kResultOk = 0,
    kResultTrue = 0,
    kResultFalse = 1,
    kNoInterface = (int32_t)0x80004002,
    kInvalidArgument = (int32_t)0x80070057,
    kNotImplemented = (int32_t)0x80004001,
    kInternalError = (int32_t)0x80004005,
    kOutOfMemory = (int32_t)0x8007000E,
};
#else
enum : int32_t {
    kResultOk = 0,
    kResultTrue = 0,
    kResultFalse = 1,
    kNoInterface = -1,
    kInvalidArgument = 2,
    kNotImplemented = 3,
    kInternalError = 4,
    kOutOfMemory = 6,
};
#endif

enum : int32_t {
    kAudio = 0,
    kEvent = 1,
    kInput = 0,
    kOutput = 1,
    kMain = 0,
    kBusDefaultActive = 1,
    kSample32 = 0,
    kSample64 = 1,
    kManyInstances = 0x7FFFFFFF,
    kFactoryClassesDiscardable = 1,
    kFactoryComponentNonDiscardable = 8,
    kFactoryUnicode = 16,
    kDistributable = 1,
};

enum : uint64_t {
    kSpeakerM = 0x80000,
    kSpeakerStereo = 0x3,
};

// Seek modes of IBStream.
enum : int32_t { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

// ProcessContext::state bits.
enum : uint32_t {
    kContextPlaying = 1u << 1,
    kContextProjectTimeMusicValid = 1u << 9,
    kContextTempoValid = 1u << 10,
    kContextTimeSigValid = 1u << 13,
};

typedef struct PFactoryInfo {
    char vendor[64];
    char url[256];
    char email[128];
    int32_t flags;
} PFactoryInfo;

typedef struct PClassInfo {
    uint8_t cid[16];
    int32_t cardinality;
    char category[32];
    char name[64];
} PClassInfo;

typedef struct PClassInfo2 {
    uint8_t cid[16];
    int32_t cardinality;
    char category[32];
    char name[64];
    uint32_t classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
} PClassInfo2;

typedef struct PClassInfoW {
    uint8_t cid[16];
    int32_t cardinality;
    char category[32];
    char16 name[64];
    uint32_t classFlags;
    char subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
} PClassInfoW;

typedef struct BusInfo {
    int32_t mediaType;
    int32_t direction;
    int32_t channelCount;
    String128 name;
    int32_t busType;
    uint32_t flags;
} BusInfo;

typedef struct ParameterInfo {
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32_t stepCount;
    ParamValue defaultNormalizedValue;
    int32_t unitId;
    int32_t flags;
} ParameterInfo;

typedef struct ProcessSetup {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t maxSamplesPerBlock;
    double sampleRate;
} ProcessSetup;

typedef struct AudioBusBuffers {
    int32_t numChannels;
    uint64_t silenceFlags;
    union {
        float** channelBuffers32;
        double** channelBuffers64;
    };
} AudioBusBuffers;

typedef struct Vst3Chord {
    uint8_t keyNote;
    uint8_t rootNote;
    int16_t chordMask;
} Vst3Chord;

typedef struct FrameRate {
    uint32_t framesPerSecond;
    uint32_t flags;
} FrameRate;

typedef struct ProcessContext {
    uint32_t state;
    double sampleRate;
    int64_t projectTimeSamples;
    int64_t systemTime;
    int64_t continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    Vst3Chord chord; // "Chord" alone clashes with a Win32 GDI function
    int32_t smpteOffsetSubframes;
    FrameRate frameRate;
    int32_t samplesToNextClock;
} ProcessContext;

struct IParameterChanges;
struct IEventList;

typedef struct ProcessData {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t numSamples;
    int32_t numInputs;
    int32_t numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    struct IParameterChanges* inputParameterChanges;
    struct IParameterChanges* outputParameterChanges;
    struct IEventList* inputEvents;
    struct IEventList* outputEvents;
    ProcessContext* processContext;
} ProcessData;

typedef struct ViewRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} ViewRect;

static_assert(sizeof(char16) == 2, "char16 is a UTF-16 unit");
static_assert(sizeof(PFactoryInfo) == 452 && offsetof(PFactoryInfo, flags) == 448, "PFactoryInfo");
static_assert(sizeof(PClassInfo) == 116 && offsetof(PClassInfo, name) == 52, "PClassInfo");
static_assert(sizeof(PClassInfo2) == 440, "PClassInfo2");
static_assert(offsetof(PClassInfo2, classFlags) == 116 &&
                  offsetof(PClassInfo2, subCategories) == 120 &&
                  offsetof(PClassInfo2, vendor) == 248 && offsetof(PClassInfo2, version) == 312 &&
                  offsetof(PClassInfo2, sdkVersion) == 376,
              "PClassInfo2 offsets");
static_assert(sizeof(PClassInfoW) == 696, "PClassInfoW");
static_assert(offsetof(PClassInfoW, name) == 52 && offsetof(PClassInfoW, classFlags) == 180 &&
                  offsetof(PClassInfoW, subCategories) == 184 &&
                  offsetof(PClassInfoW, vendor) == 312 && offsetof(PClassInfoW, version) == 440 &&
                  offsetof(PClassInfoW, sdkVersion) == 568,
              "PClassInfoW offsets");
static_assert(sizeof(BusInfo) == 276 && offsetof(BusInfo, name) == 12 &&
                  offsetof(BusInfo, busType) == 268,
              "BusInfo");
static_assert(sizeof(ParameterInfo) == 792, "ParameterInfo");
static_assert(offsetof(ParameterInfo, shortTitle) == 260 && offsetof(ParameterInfo, units) == 516 &&
                  offsetof(ParameterInfo, stepCount) == 772 &&
                  offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
                  offsetof(ParameterInfo, unitId) == 784 && offsetof(ParameterInfo, flags) == 788,
              "ParameterInfo offsets");
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16,
              "ProcessSetup");
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, silenceFlags) == 8 &&
                  offsetof(AudioBusBuffers, channelBuffers32) == 16,
              "AudioBusBuffers");
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24 &&
                  offsetof(ProcessData, inputParameterChanges) == 40 &&
                  offsetof(ProcessData, outputParameterChanges) == 48 &&
                  offsetof(ProcessData, processContext) == 72,
              "ProcessData");
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, sampleRate) == 8 &&
                  offsetof(ProcessContext, projectTimeMusic) == 40 &&
                  offsetof(ProcessContext, tempo) == 72 &&
                  offsetof(ProcessContext, timeSigNumerator) == 80 &&
                  offsetof(ProcessContext, chord) == 88 &&
                  offsetof(ProcessContext, frameRate) == 96 &&
                  offsetof(ProcessContext, samplesToNextClock) == 104,
              "ProcessContext");
static_assert(sizeof(ViewRect) == 16, "ViewRect");
