// Our own declarations of the WebView2 COM interfaces, identifiers and types
// that the editor host uses (and that the test stand-in implements).
//
// Each interface's methods are listed once, in slot order, as an X-macro
// list: the same list declares the pure-virtual interface, numbers its slots
// (checked below against the published slot numbers) and lets a stand-in
// fill every slot it does not implement. Parameters are unnamed on purpose.
#pragma once

// windows.h first: the COM headers below build on its types.
#include <windows.h>

#include <oaidl.h>
#include <objidl.h>

#include <stdint.h>

struct EventRegistrationToken {
    int64_t value;
};

struct COREWEBVIEW2_COLOR {
    BYTE A, R, G, B;
};

enum COREWEBVIEW2_MOVE_FOCUS_REASON : int32_t {
    COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
    COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
    COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};
enum COREWEBVIEW2_BOUNDS_MODE : int32_t {
    COREWEBVIEW2_BOUNDS_MODE_USE_RAW_PIXELS = 0,
    COREWEBVIEW2_BOUNDS_MODE_USE_RASTERIZATION_SCALE = 1,
};
enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT : int32_t {
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
};
enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT : int32_t {
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0,
};

// Interfaces that appear only as parameter types.
struct ICoreWebView2;
struct ICoreWebView2Environment;
struct ICoreWebView2Controller;
struct ICoreWebView2Settings;
struct ICoreWebView2WebMessageReceivedEventArgs;
struct ICoreWebView2NavigationStartingEventArgs;
struct ICoreWebView2NewWindowRequestedEventArgs;
// Only passed on: the host reads nothing from a failure's arguments.
struct ICoreWebView2ProcessFailedEventArgs;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2HttpRequestHeaders;
struct ICoreWebView2Deferral;
struct ICoreWebView2WindowFeatures;
struct ICoreWebView2DevToolsProtocolEventReceiver;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2WebMessageReceivedEventHandler;
struct ICoreWebView2NavigationStartingEventHandler;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2NewBrowserVersionAvailableEventHandler;
struct ICoreWebView2ZoomFactorChangedEventHandler;
struct ICoreWebView2MoveFocusRequestedEventHandler;
struct ICoreWebView2FocusChangedEventHandler;
struct ICoreWebView2AcceleratorKeyPressedEventHandler;
struct ICoreWebView2RasterizationScaleChangedEventHandler;
struct ICoreWebView2ContentLoadingEventHandler;
struct ICoreWebView2SourceChangedEventHandler;
struct ICoreWebView2HistoryChangedEventHandler;
struct ICoreWebView2NavigationCompletedEventHandler;
struct ICoreWebView2ScriptDialogOpeningEventHandler;
struct ICoreWebView2PermissionRequestedEventHandler;
struct ICoreWebView2ProcessFailedEventHandler;
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler;
struct ICoreWebView2ExecuteScriptCompletedHandler;
struct ICoreWebView2CapturePreviewCompletedHandler;
struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler;
struct ICoreWebView2DocumentTitleChangedEventHandler;
struct ICoreWebView2ContainsFullScreenElementChangedEventHandler;
struct ICoreWebView2WebResourceRequestedEventHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;

#define WV2_ENVIRONMENT_OPTIONS_METHODS(M)                                                         \
    M(get_AdditionalBrowserArguments, (LPWSTR*))                                                   \
    M(put_AdditionalBrowserArguments, (LPCWSTR))                                                   \
    M(get_Language, (LPWSTR*))                                                                     \
    M(put_Language, (LPCWSTR))                                                                     \
    M(get_TargetCompatibleBrowserVersion, (LPWSTR*))                                               \
    M(put_TargetCompatibleBrowserVersion, (LPCWSTR))                                               \
    M(get_AllowSingleSignOnUsingOSPrimaryAccount, (BOOL*))                                         \
    M(put_AllowSingleSignOnUsingOSPrimaryAccount, (BOOL))

#define WV2_ENVIRONMENT_COMPLETED_METHODS(M) M(Invoke, (HRESULT, ICoreWebView2Environment*))
#define WV2_CONTROLLER_COMPLETED_METHODS(M) M(Invoke, (HRESULT, ICoreWebView2Controller*))
#define WV2_WEB_MESSAGE_RECEIVED_METHODS(M)                                                        \
    M(Invoke, (ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*))
#define WV2_NAVIGATION_STARTING_METHODS(M)                                                         \
    M(Invoke, (ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs*))
#define WV2_NEW_WINDOW_REQUESTED_METHODS(M)                                                        \
    M(Invoke, (ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs*))
#define WV2_PROCESS_FAILED_METHODS(M)                                                              \
    M(Invoke, (ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs*))

#define WV2_ENVIRONMENT_METHODS(M)                                                                 \
    M(CreateCoreWebView2Controller,                                                                \
      (HWND, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*))                          \
    M(CreateWebResourceResponse,                                                                   \
      (IStream*, int, LPCWSTR, LPCWSTR, ICoreWebView2WebResourceResponse**))                       \
    M(get_BrowserVersionString, (LPWSTR*))                                                         \
    M(add_NewBrowserVersionAvailable,                                                              \
      (ICoreWebView2NewBrowserVersionAvailableEventHandler*, EventRegistrationToken*))             \
    M(remove_NewBrowserVersionAvailable, (EventRegistrationToken))

#define WV2_CONTROLLER_METHODS(M)                                                                  \
    M(get_IsVisible, (BOOL*))                                                                      \
    M(put_IsVisible, (BOOL))                                                                       \
    M(get_Bounds, (RECT*))                                                                         \
    M(put_Bounds, (RECT))                                                                          \
    M(get_ZoomFactor, (double*))                                                                   \
    M(put_ZoomFactor, (double))                                                                    \
    M(add_ZoomFactorChanged,                                                                       \
      (ICoreWebView2ZoomFactorChangedEventHandler*, EventRegistrationToken*))                      \
    M(remove_ZoomFactorChanged, (EventRegistrationToken))                                          \
    M(SetBoundsAndZoomFactor, (RECT, double))                                                      \
    M(MoveFocus, (COREWEBVIEW2_MOVE_FOCUS_REASON))                                                 \
    M(add_MoveFocusRequested,                                                                      \
      (ICoreWebView2MoveFocusRequestedEventHandler*, EventRegistrationToken*))                     \
    M(remove_MoveFocusRequested, (EventRegistrationToken))                                         \
    M(add_GotFocus, (ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*))             \
    M(remove_GotFocus, (EventRegistrationToken))                                                   \
    M(add_LostFocus, (ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*))            \
    M(remove_LostFocus, (EventRegistrationToken))                                                  \
    M(add_AcceleratorKeyPressed,                                                                   \
      (ICoreWebView2AcceleratorKeyPressedEventHandler*, EventRegistrationToken*))                  \
    M(remove_AcceleratorKeyPressed, (EventRegistrationToken))                                      \
    M(get_ParentWindow, (HWND*))                                                                   \
    M(put_ParentWindow, (HWND))                                                                    \
    M(NotifyParentWindowPositionChanged, ())                                                       \
    M(Close, ())                                                                                   \
    M(get_CoreWebView2, (ICoreWebView2**))

#define WV2_CONTROLLER2_METHODS(M)                                                                 \
    M(get_DefaultBackgroundColor, (COREWEBVIEW2_COLOR*))                                           \
    M(put_DefaultBackgroundColor, (COREWEBVIEW2_COLOR))

#define WV2_CONTROLLER3_METHODS(M)                                                                 \
    M(get_RasterizationScale, (double*))                                                           \
    M(put_RasterizationScale, (double))                                                            \
    M(get_ShouldDetectMonitorScaleChanges, (BOOL*))                                                \
    M(put_ShouldDetectMonitorScaleChanges, (BOOL))                                                 \
    M(add_RasterizationScaleChanged,                                                               \
      (ICoreWebView2RasterizationScaleChangedEventHandler*, EventRegistrationToken*))              \
    M(remove_RasterizationScaleChanged, (EventRegistrationToken))                                  \
    M(get_BoundsMode, (COREWEBVIEW2_BOUNDS_MODE*))                                                 \
    M(put_BoundsMode, (COREWEBVIEW2_BOUNDS_MODE))

#define WV2_CONTROLLER4_METHODS(M)                                                                 \
    M(get_AllowExternalDrop, (BOOL*))                                                              \
    M(put_AllowExternalDrop, (BOOL))

#define WV2_WEBVIEW_METHODS(M)                                                                     \
    M(get_Settings, (ICoreWebView2Settings**))                                                     \
    M(get_Source, (LPWSTR*))                                                                       \
    M(Navigate, (LPCWSTR))                                                                         \
    M(NavigateToString, (LPCWSTR))                                                                 \
    M(add_NavigationStarting,                                                                      \
      (ICoreWebView2NavigationStartingEventHandler*, EventRegistrationToken*))                     \
    M(remove_NavigationStarting, (EventRegistrationToken))                                         \
    M(add_ContentLoading, (ICoreWebView2ContentLoadingEventHandler*, EventRegistrationToken*))     \
    M(remove_ContentLoading, (EventRegistrationToken))                                             \
    M(add_SourceChanged, (ICoreWebView2SourceChangedEventHandler*, EventRegistrationToken*))       \
    M(remove_SourceChanged, (EventRegistrationToken))                                              \
    M(add_HistoryChanged, (ICoreWebView2HistoryChangedEventHandler*, EventRegistrationToken*))     \
    M(remove_HistoryChanged, (EventRegistrationToken))                                             \
    M(add_NavigationCompleted,                                                                     \
      (ICoreWebView2NavigationCompletedEventHandler*, EventRegistrationToken*))                    \
    M(remove_NavigationCompleted, (EventRegistrationToken))                                        \
    M(add_FrameNavigationStarting,                                                                 \
      (ICoreWebView2NavigationStartingEventHandler*, EventRegistrationToken*))                     \
    M(remove_FrameNavigationStarting, (EventRegistrationToken))                                    \
    M(add_FrameNavigationCompleted,                                                                \
      (ICoreWebView2NavigationCompletedEventHandler*, EventRegistrationToken*))                    \
    M(remove_FrameNavigationCompleted, (EventRegistrationToken))                                   \
    M(add_ScriptDialogOpening,                                                                     \
      (ICoreWebView2ScriptDialogOpeningEventHandler*, EventRegistrationToken*))                    \
    M(remove_ScriptDialogOpening, (EventRegistrationToken))                                        \
    M(add_PermissionRequested,                                                                     \
      (ICoreWebView2PermissionRequestedEventHandler*, EventRegistrationToken*))                    \
    M(remove_PermissionRequested, (EventRegistrationToken))                                        \
    M(add_ProcessFailed, (ICoreWebView2ProcessFailedEventHandler*, EventRegistrationToken*))       \
    M(remove_ProcessFailed, (EventRegistrationToken))                                              \
    M(AddScriptToExecuteOnDocumentCreated,                                                         \
      (LPCWSTR, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*))                \
    M(RemoveScriptToExecuteOnDocumentCreated, (LPCWSTR))                                           \
    M(ExecuteScript, (LPCWSTR, ICoreWebView2ExecuteScriptCompletedHandler*))                       \
    M(CapturePreview, (COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT, IStream*,                        \
                       ICoreWebView2CapturePreviewCompletedHandler*))                              \
    M(Reload, ())                                                                                  \
    M(PostWebMessageAsJson, (LPCWSTR))                                                             \
    M(PostWebMessageAsString, (LPCWSTR))                                                           \
    M(add_WebMessageReceived,                                                                      \
      (ICoreWebView2WebMessageReceivedEventHandler*, EventRegistrationToken*))                     \
    M(remove_WebMessageReceived, (EventRegistrationToken))                                         \
    M(CallDevToolsProtocolMethod,                                                                  \
      (LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*))                \
    M(get_BrowserProcessId, (UINT32*))                                                             \
    M(get_CanGoBack, (BOOL*))                                                                      \
    M(get_CanGoForward, (BOOL*))                                                                   \
    M(GoBack, ())                                                                                  \
    M(GoForward, ())                                                                               \
    M(GetDevToolsProtocolEventReceiver, (LPCWSTR, ICoreWebView2DevToolsProtocolEventReceiver**))   \
    M(Stop, ())                                                                                    \
    M(add_NewWindowRequested,                                                                      \
      (ICoreWebView2NewWindowRequestedEventHandler*, EventRegistrationToken*))                     \
    M(remove_NewWindowRequested, (EventRegistrationToken))                                         \
    M(add_DocumentTitleChanged,                                                                    \
      (ICoreWebView2DocumentTitleChangedEventHandler*, EventRegistrationToken*))                   \
    M(remove_DocumentTitleChanged, (EventRegistrationToken))                                       \
    M(get_DocumentTitle, (LPWSTR*))                                                                \
    M(AddHostObjectToScript, (LPCWSTR, VARIANT*))                                                  \
    M(RemoveHostObjectFromScript, (LPCWSTR))                                                       \
    M(OpenDevToolsWindow, ())                                                                      \
    M(add_ContainsFullScreenElementChanged,                                                        \
      (ICoreWebView2ContainsFullScreenElementChangedEventHandler*, EventRegistrationToken*))       \
    M(remove_ContainsFullScreenElementChanged, (EventRegistrationToken))                           \
    M(get_ContainsFullScreenElement, (BOOL*))                                                      \
    M(add_WebResourceRequested,                                                                    \
      (ICoreWebView2WebResourceRequestedEventHandler*, EventRegistrationToken*))                   \
    M(remove_WebResourceRequested, (EventRegistrationToken))                                       \
    M(AddWebResourceRequestedFilter, (LPCWSTR, COREWEBVIEW2_WEB_RESOURCE_CONTEXT))                 \
    M(RemoveWebResourceRequestedFilter, (LPCWSTR, COREWEBVIEW2_WEB_RESOURCE_CONTEXT))              \
    M(add_WindowCloseRequested,                                                                    \
      (ICoreWebView2WindowCloseRequestedEventHandler*, EventRegistrationToken*))                   \
    M(remove_WindowCloseRequested, (EventRegistrationToken))

#define WV2_SETTINGS_METHODS(M)                                                                    \
    M(get_IsScriptEnabled, (BOOL*))                                                                \
    M(put_IsScriptEnabled, (BOOL))                                                                 \
    M(get_IsWebMessageEnabled, (BOOL*))                                                            \
    M(put_IsWebMessageEnabled, (BOOL))                                                             \
    M(get_AreDefaultScriptDialogsEnabled, (BOOL*))                                                 \
    M(put_AreDefaultScriptDialogsEnabled, (BOOL))                                                  \
    M(get_IsStatusBarEnabled, (BOOL*))                                                             \
    M(put_IsStatusBarEnabled, (BOOL))                                                              \
    M(get_AreDevToolsEnabled, (BOOL*))                                                             \
    M(put_AreDevToolsEnabled, (BOOL))                                                              \
    M(get_AreDefaultContextMenusEnabled, (BOOL*))                                                  \
    M(put_AreDefaultContextMenusEnabled, (BOOL))                                                   \
    M(get_AreHostObjectsAllowed, (BOOL*))                                                          \
    M(put_AreHostObjectsAllowed, (BOOL))                                                           \
    M(get_IsZoomControlEnabled, (BOOL*))                                                           \
    M(put_IsZoomControlEnabled, (BOOL))                                                            \
    M(get_IsBuiltInErrorPageEnabled, (BOOL*))                                                      \
    M(put_IsBuiltInErrorPageEnabled, (BOOL))
#define WV2_SETTINGS2_METHODS(M) M(get_UserAgent, (LPWSTR*)) M(put_UserAgent, (LPCWSTR))
#define WV2_SETTINGS3_METHODS(M)                                                                   \
    M(get_AreBrowserAcceleratorKeysEnabled, (BOOL*)) M(put_AreBrowserAcceleratorKeysEnabled, (BOOL))
#define WV2_SETTINGS4_METHODS(M)                                                                   \
    M(get_IsPasswordAutosaveEnabled, (BOOL*))                                                      \
    M(put_IsPasswordAutosaveEnabled, (BOOL))                                                       \
    M(get_IsGeneralAutofillEnabled, (BOOL*)) M(put_IsGeneralAutofillEnabled, (BOOL))
#define WV2_SETTINGS5_METHODS(M)                                                                   \
    M(get_IsPinchZoomEnabled, (BOOL*)) M(put_IsPinchZoomEnabled, (BOOL))
#define WV2_SETTINGS6_METHODS(M)                                                                   \
    M(get_IsSwipeNavigationEnabled, (BOOL*)) M(put_IsSwipeNavigationEnabled, (BOOL))

#define WV2_WEB_MESSAGE_ARGS_METHODS(M)                                                            \
    M(get_Source, (LPWSTR*))                                                                       \
    M(get_WebMessageAsJson, (LPWSTR*)) M(TryGetWebMessageAsString, (LPWSTR*))

#define WV2_NAVIGATION_ARGS_METHODS(M)                                                             \
    M(get_Uri, (LPWSTR*))                                                                          \
    M(get_IsUserInitiated, (BOOL*))                                                                \
    M(get_IsRedirected, (BOOL*))                                                                   \
    M(get_RequestHeaders, (ICoreWebView2HttpRequestHeaders**))                                     \
    M(get_Cancel, (BOOL*))                                                                         \
    M(put_Cancel, (BOOL))                                                                          \
    M(get_NavigationId, (UINT64*))

// Note the order: each put_ comes before its get_ here.
#define WV2_NEW_WINDOW_ARGS_METHODS(M)                                                             \
    M(get_Uri, (LPWSTR*))                                                                          \
    M(put_NewWindow, (ICoreWebView2*))                                                             \
    M(get_NewWindow, (ICoreWebView2**))                                                            \
    M(put_Handled, (BOOL))                                                                         \
    M(get_Handled, (BOOL*))                                                                        \
    M(get_IsUserInitiated, (BOOL*))                                                                \
    M(GetDeferral, (ICoreWebView2Deferral**))                                                      \
    M(get_WindowFeatures, (ICoreWebView2WindowFeatures**))

#define WV2_PURE(name, params) virtual HRESULT STDMETHODCALLTYPE name params = 0;
#define WV2_SLOT(name, params) name,

// Declares interface I (base B, methods LIST) and its slot numbers in
// namespace wv2slot::I: first slot = base's slot count, kCount = total slots.
#define WV2_INTERFACE(I, B, BASE_COUNT, LIST)                                                      \
    struct I : B {                                                                                 \
        LIST(WV2_PURE)                                                                             \
    };                                                                                             \
    namespace wv2slot {                                                                            \
    namespace I {                                                                                  \
    enum : int { kFirst = (BASE_COUNT)-1, LIST(WV2_SLOT) kCount };                                 \
    }                                                                                              \
    }

WV2_INTERFACE(ICoreWebView2EnvironmentOptions, IUnknown, 3, WV2_ENVIRONMENT_OPTIONS_METHODS)
WV2_INTERFACE(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, IUnknown, 3,
              WV2_ENVIRONMENT_COMPLETED_METHODS)
WV2_INTERFACE(ICoreWebView2Environment, IUnknown, 3, WV2_ENVIRONMENT_METHODS)
WV2_INTERFACE(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, IUnknown, 3,
              WV2_CONTROLLER_COMPLETED_METHODS)
WV2_INTERFACE(ICoreWebView2Controller, IUnknown, 3, WV2_CONTROLLER_METHODS)
WV2_INTERFACE(ICoreWebView2Controller2, ICoreWebView2Controller, 26, WV2_CONTROLLER2_METHODS)
WV2_INTERFACE(ICoreWebView2Controller3, ICoreWebView2Controller2, 28, WV2_CONTROLLER3_METHODS)
WV2_INTERFACE(ICoreWebView2Controller4, ICoreWebView2Controller3, 36, WV2_CONTROLLER4_METHODS)
WV2_INTERFACE(ICoreWebView2, IUnknown, 3, WV2_WEBVIEW_METHODS)
WV2_INTERFACE(ICoreWebView2Settings, IUnknown, 3, WV2_SETTINGS_METHODS)
WV2_INTERFACE(ICoreWebView2Settings2, ICoreWebView2Settings, 21, WV2_SETTINGS2_METHODS)
WV2_INTERFACE(ICoreWebView2Settings3, ICoreWebView2Settings2, 23, WV2_SETTINGS3_METHODS)
WV2_INTERFACE(ICoreWebView2Settings4, ICoreWebView2Settings3, 25, WV2_SETTINGS4_METHODS)
WV2_INTERFACE(ICoreWebView2Settings5, ICoreWebView2Settings4, 29, WV2_SETTINGS5_METHODS)
WV2_INTERFACE(ICoreWebView2Settings6, ICoreWebView2Settings5, 31, WV2_SETTINGS6_METHODS)
WV2_INTERFACE(ICoreWebView2WebMessageReceivedEventHandler, IUnknown, 3,
              WV2_WEB_MESSAGE_RECEIVED_METHODS)
WV2_INTERFACE(ICoreWebView2WebMessageReceivedEventArgs, IUnknown, 3, WV2_WEB_MESSAGE_ARGS_METHODS)
WV2_INTERFACE(ICoreWebView2NavigationStartingEventHandler, IUnknown, 3,
              WV2_NAVIGATION_STARTING_METHODS)
WV2_INTERFACE(ICoreWebView2NavigationStartingEventArgs, IUnknown, 3, WV2_NAVIGATION_ARGS_METHODS)
WV2_INTERFACE(ICoreWebView2NewWindowRequestedEventHandler, IUnknown, 3,
              WV2_NEW_WINDOW_REQUESTED_METHODS)
WV2_INTERFACE(ICoreWebView2NewWindowRequestedEventArgs, IUnknown, 3, WV2_NEW_WINDOW_ARGS_METHODS)
WV2_INTERFACE(ICoreWebView2ProcessFailedEventHandler, IUnknown, 3, WV2_PROCESS_FAILED_METHODS)

typedef HRESULT(STDAPICALLTYPE* CreateCoreWebView2EnvironmentWithOptionsFn)(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);

// Interface identifiers, written as the published GUIDs.
namespace wv2iid {
constexpr GUID kEnvironmentOptions = {
    0x2FDE08A8, 0x1E9A, 0x4766, {0x8C, 0x05, 0x95, 0xA9, 0xCE, 0xB9, 0xD1, 0xC5}};
constexpr GUID kEnvironmentCompletedHandler = {
    0x4E8A3389, 0xC9D8, 0x4BD2, {0xB6, 0xB5, 0x12, 0x4F, 0xEE, 0x6C, 0xC1, 0x4D}};
constexpr GUID kEnvironment = {
    0xB96D755E, 0x0319, 0x4E92, {0xA2, 0x96, 0x23, 0x43, 0x6F, 0x46, 0xA1, 0xFC}};
constexpr GUID kControllerCompletedHandler = {
    0x6C4819F3, 0xC9B7, 0x4260, {0x81, 0x27, 0xC9, 0xF5, 0xBD, 0xE7, 0xF6, 0x8C}};
constexpr GUID kController = {
    0x4D00C0D1, 0x9434, 0x4EB6, {0x80, 0x78, 0x86, 0x97, 0xA5, 0x60, 0x33, 0x4F}};
constexpr GUID kController2 = {
    0xC979903E, 0xD4CA, 0x4228, {0x92, 0xEB, 0x47, 0xEE, 0x3F, 0xA9, 0x6E, 0xAB}};
constexpr GUID kController3 = {
    0xF9614724, 0x5D2B, 0x41DC, {0xAE, 0xF7, 0x73, 0xD6, 0x2B, 0x51, 0x54, 0x3B}};
constexpr GUID kController4 = {
    0x97D418D5, 0xA426, 0x4E49, {0xA1, 0x51, 0xE1, 0xA1, 0x0F, 0x32, 0x7D, 0x9E}};
constexpr GUID kWebView = {
    0x76ECEACB, 0x0462, 0x4D94, {0xAC, 0x83, 0x42, 0x3A, 0x67, 0x93, 0x77, 0x5E}};
constexpr GUID kSettings = {
    0xE562E4F0, 0xD7FA, 0x43AC, {0x8D, 0x71, 0xC0, 0x51, 0x50, 0x49, 0x9F, 0x00}};
constexpr GUID kSettings2 = {
    0xEE9A0F68, 0xF46C, 0x4E32, {0xAC, 0x23, 0xEF, 0x8C, 0xAC, 0x22, 0x4D, 0x2A}};
constexpr GUID kSettings3 = {
    0xFDB5AB74, 0xAF33, 0x4854, {0x84, 0xF0, 0x0A, 0x63, 0x1D, 0xEB, 0x5E, 0xBA}};
constexpr GUID kSettings4 = {
    0xCB56846C, 0x4168, 0x4D53, {0xB0, 0x4F, 0x03, 0xB6, 0xD6, 0x79, 0x6F, 0xF2}};
constexpr GUID kSettings5 = {
    0x183E7052, 0x1D03, 0x43A0, {0xAB, 0x99, 0x98, 0xE0, 0x43, 0xB6, 0x6B, 0x39}};
constexpr GUID kSettings6 = {
    0x11CB3ACD, 0x9BC8, 0x43B8, {0x83, 0xBF, 0xF4, 0x07, 0x53, 0x71, 0x4F, 0x87}};
constexpr GUID kWebMessageReceivedHandler = {
    0x57213F19, 0x00E6, 0x49FA, {0x8E, 0x07, 0x89, 0x8E, 0xA0, 0x1E, 0xCB, 0xD2}};
constexpr GUID kWebMessageReceivedArgs = {
    0x0F99A40C, 0xE962, 0x4207, {0x9E, 0x92, 0xE3, 0xD5, 0x42, 0xEF, 0xF8, 0x49}};
constexpr GUID kNavigationStartingHandler = {
    0x9ADBE429, 0xF36D, 0x432B, {0x9D, 0xDC, 0xF8, 0x88, 0x1F, 0xBD, 0x76, 0xE3}};
constexpr GUID kNavigationStartingArgs = {
    0x5B495469, 0xE119, 0x438A, {0x9B, 0x18, 0x76, 0x04, 0xF2, 0x5F, 0x2E, 0x49}};
constexpr GUID kNewWindowRequestedHandler = {
    0xD4C185FE, 0xC81C, 0x4989, {0x97, 0xAF, 0x2D, 0x3F, 0xA7, 0xAB, 0x56, 0x51}};
constexpr GUID kNewWindowRequestedArgs = {
    0x34ACB11C, 0xFC37, 0x4418, {0x91, 0x32, 0xF9, 0xC2, 0x1D, 0x1E, 0xAF, 0xB9}};
constexpr GUID kProcessFailedHandler = {
    0x79E0AEA4, 0x990B, 0x42D9, {0xAA, 0x1D, 0x0F, 0xCC, 0x2E, 0x5B, 0xC7, 0xF1}};
constexpr GUID kUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
} // namespace wv2iid

// [any thread]
inline bool wv2_same_iid(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           *(const uint64_t*)a.Data4 == *(const uint64_t*)b.Data4;
}
