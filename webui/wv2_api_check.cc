// Compile-time checks of our WebView2 declarations against the published
// slot numbers, slot counts and type sizes. A wrong entry in a method list
// shifts every later slot, and the runtime would call the wrong method.
#include "webui/wv2_api.h"

#include <stddef.h>

namespace s = wv2slot;

static_assert(sizeof(EventRegistrationToken) == 8, "token is one int64");
static_assert(sizeof(COREWEBVIEW2_COLOR) == 4, "colour is four bytes");
static_assert(sizeof(RECT) == 16, "RECT passed by value");
static_assert(sizeof(BOOL) == 4, "Win32 BOOL, never C++ bool");
static_assert(sizeof(COREWEBVIEW2_MOVE_FOCUS_REASON) == 4, "enums are 32-bit");
static_assert(sizeof(ICoreWebView2Controller4) == sizeof(void*), "one table pointer, no data");

static_assert(s::ICoreWebView2EnvironmentOptions::kCount == 11, "");
static_assert(s::ICoreWebView2EnvironmentOptions::put_AllowSingleSignOnUsingOSPrimaryAccount == 10,
              "");
static_assert(s::ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler::Invoke == 3, "");
static_assert(s::ICoreWebView2Environment::kCount == 8, "");
static_assert(s::ICoreWebView2Environment::CreateCoreWebView2Controller == 3, "");
static_assert(s::ICoreWebView2Controller::kCount == 26, "");
static_assert(s::ICoreWebView2Controller::put_IsVisible == 4, "");
static_assert(s::ICoreWebView2Controller::put_Bounds == 6, "");
static_assert(s::ICoreWebView2Controller::MoveFocus == 12, "");
static_assert(s::ICoreWebView2Controller::Close == 24, "");
static_assert(s::ICoreWebView2Controller::get_CoreWebView2 == 25, "");
static_assert(s::ICoreWebView2Controller2::kCount == 28, "");
static_assert(s::ICoreWebView2Controller3::kCount == 36, "");
static_assert(s::ICoreWebView2Controller4::kCount == 38, "");
static_assert(s::ICoreWebView2Controller4::put_AllowExternalDrop == 37, "");
static_assert(s::ICoreWebView2::kCount == 61, "");
static_assert(s::ICoreWebView2::get_Settings == 3, "");
static_assert(s::ICoreWebView2::Navigate == 5, "");
static_assert(s::ICoreWebView2::add_NavigationStarting == 7, "");
static_assert(s::ICoreWebView2::AddScriptToExecuteOnDocumentCreated == 27, "");
static_assert(s::ICoreWebView2::PostWebMessageAsString == 33, "");
static_assert(s::ICoreWebView2::add_WebMessageReceived == 34, "");
static_assert(s::ICoreWebView2::add_ProcessFailed == 25, "");
static_assert(s::ICoreWebView2::remove_ProcessFailed == 26, "");
static_assert(s::ICoreWebView2::add_NewWindowRequested == 44, "");
static_assert(s::ICoreWebView2::AddHostObjectToScript == 49, "");
static_assert(s::ICoreWebView2::remove_WindowCloseRequested == 60, "");
static_assert(s::ICoreWebView2Settings::kCount == 21, "");
static_assert(s::ICoreWebView2Settings::put_IsScriptEnabled == 4, "");
static_assert(s::ICoreWebView2Settings::put_AreDefaultScriptDialogsEnabled == 8, "");
static_assert(s::ICoreWebView2Settings::put_IsStatusBarEnabled == 10, "");
static_assert(s::ICoreWebView2Settings::put_AreDevToolsEnabled == 12, "");
static_assert(s::ICoreWebView2Settings::put_AreDefaultContextMenusEnabled == 14, "");
static_assert(s::ICoreWebView2Settings::put_AreHostObjectsAllowed == 16, "");
static_assert(s::ICoreWebView2Settings::put_IsZoomControlEnabled == 18, "");
static_assert(s::ICoreWebView2Settings2::kCount == 23, "");
static_assert(s::ICoreWebView2Settings3::put_AreBrowserAcceleratorKeysEnabled == 24, "");
static_assert(s::ICoreWebView2Settings4::put_IsPasswordAutosaveEnabled == 26, "");
static_assert(s::ICoreWebView2Settings4::put_IsGeneralAutofillEnabled == 28, "");
static_assert(s::ICoreWebView2Settings5::put_IsPinchZoomEnabled == 30, "");
static_assert(s::ICoreWebView2Settings6::put_IsSwipeNavigationEnabled == 32, "");
static_assert(s::ICoreWebView2Settings6::kCount == 33, "");
static_assert(s::ICoreWebView2WebMessageReceivedEventArgs::TryGetWebMessageAsString == 5, "");
static_assert(s::ICoreWebView2NavigationStartingEventArgs::put_Cancel == 8, "");
static_assert(s::ICoreWebView2NavigationStartingEventArgs::kCount == 10, "");
static_assert(s::ICoreWebView2NewWindowRequestedEventArgs::put_Handled == 6, "");
static_assert(s::ICoreWebView2NewWindowRequestedEventArgs::get_Handled == 7, "");
static_assert(s::ICoreWebView2NewWindowRequestedEventArgs::kCount == 11, "");
static_assert(s::ICoreWebView2ProcessFailedEventHandler::Invoke == 3, "");
static_assert(s::ICoreWebView2ProcessFailedEventHandler::kCount == 4, "");
