// Our VST3 test host: the host side of the interfaces a DAW hands to a
// plug-in (stream, parameter changes, component handler, host context) and
// the loading of a module binary. It loads the bundle's binary exactly as a
// DAW of the platform does: LoadLibraryW in the Windows tree (under Wine),
// dlopen with ModuleEntry and ModuleExit natively, where the sanitize tree's
// module and tests run under the sanitizers.
//
// Tests call everything here from their own threads; each object is used by
// one thread at a time unless its comment says otherwise.
#pragma once
#include <atomic>
#include <functional>
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

#include "vst3/vst3_interfaces.h"

// ---- module ------------------------------------------------------------------

typedef struct Vst3HostModule {
    void* library;            // HMODULE in the Windows tree, the dlopen handle natively
    IPluginFactory3* factory; // from GetPluginFactory
} Vst3HostModule;

// Loads a module binary given as a UTF-8 path (in the Windows tree a Unix
// path is mapped to Wine's Z: drive). False when loading fails, an entry
// point is missing or (Linux) ModuleEntry fails.
bool vst3host_open(Vst3HostModule* module, const char* path);
// Natively calls ModuleExit first; then unloads.
void vst3host_close(Vst3HostModule* module);
// Calls the module's GetPluginFactory once more.
IPluginFactory3* vst3host_factory_again(Vst3HostModule* module);

// The UTF-8 Unix path as the Windows path Wine sees (Z:\...).
std::string vst3host_windows_path(const char* unix_path);

// ---- memory stream -------------------------------------------------------------

// IBStream over a byte vector. write_limit and read_limit (when non-zero) cap
// the bytes a single call moves, to imitate a host stream that fails short.
typedef struct MemoryStream {
    IBStream iface;
    std::vector<uint8_t> bytes;
    int64_t position;
    int32_t write_limit;
    int32_t read_limit;
    int32_t ref_count;
} MemoryStream;

void memory_stream_init(MemoryStream* s);
void memory_stream_rewind(MemoryStream* s);

// ---- parameter changes -----------------------------------------------------------

enum : int32_t { kHostMaxQueues = 64, kHostMaxPoints = 16 };

typedef struct HostQueue {
    IParamValueQueue iface;
    ParamID id;
    int32_t count;
    int32_t offsets[kHostMaxPoints];
    double values[kHostMaxPoints];
} HostQueue;

// IParameterChanges with fixed storage: input changes a test sets up, or the
// output list a component fills. on_enumerate (when set) runs inside
// getParameterCount, that is while the component's audio thread holds its
// parameter lock; tests use it to pause the audio thread there.
typedef struct HostChanges {
    IParameterChanges iface;
    int32_t count;
    HostQueue queues[kHostMaxQueues];
    void (*on_enumerate)(void* user);
    void* user;
} HostChanges;

void host_changes_init(HostChanges* changes);
// Adds a point, creating the ParamID's queue on first use.
void host_changes_add(HostChanges* changes, ParamID id, int32_t offset, double value);
// The queue of a ParamID, or null.
const HostQueue* host_changes_find(const HostChanges* changes, ParamID id);

// ---- component handler and host context ------------------------------------------

typedef struct HostEdit {
    char kind; // 'b' begin, 'p' perform, 'e' end
    ParamID id;
    double value;
} HostEdit;

typedef struct RecordingHandler {
    IComponentHandler iface;
    int32_t ref_count;
    std::vector<HostEdit> edits;
    // Runs after each edit is recorded, inside the handler's call (a test
    // plays a host that reacts there, for example by closing the editor).
    std::function<void(const HostEdit&)> on_edit;
} RecordingHandler;

void recording_handler_init(RecordingHandler* handler);

// A minimal host application context: answers FUnknown and
// IHostApplication and reports its name; counts references.
typedef struct HostContext {
    FUnknown iface;
    int32_t ref_count;
} HostContext;

void host_context_init(HostContext* context);

// ---- the class list (vst3host_classes.cc) ------------------------------------------

typedef struct HostClassInfo {
    std::string cid; // 32 hex digits, as scan files write it
    std::string category;
    std::string name;
    std::string vendor;
    std::string version;
    std::string sdk_version;
    std::vector<std::string> sub_categories; // the text split at '|'
    uint32_t class_flags;
    int32_t cardinality;
} HostClassInfo;

// The factory's classes as a host lists them: from IPluginFactory3's Unicode
// answers where the factory offers it (else IPluginFactory2's, else the
// first factory's), a class vendor left empty taken as the factory's.
std::vector<HostClassInfo> vst3host_read_classes(IPluginFactory3* factory);

// ---- helpers ------------------------------------------------------------------

// Asks an object for an interface; null when it has none.
void* vst3host_query(void* object, const uint8_t* iid);
// FUnknown::release on any interface pointer; returns the new count.
uint32_t vst3host_release(void* object);
uint32_t vst3host_add_ref(void* object);

// UTF-16 text to UTF-8 (plain conversion for test messages).
std::string vst3host_utf8(const char16_t* text);
