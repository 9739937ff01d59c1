// A library in the runtime client's place that lacks the client's entry (a
// runtime whose interface we do not know). Nothing can be made through it.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void) {
    return S_OK;
}
